// The QApplication environment shared by the GUI test programs.
#include "tests/support/QtTestApp.h"

#include "core/ScaleByDpi.h"

#include <QApplication>
#include <QFont>
#include <gtest/gtest.h>

#include <memory>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        SetProgramDpi(144);
        app_ = std::make_unique<QApplication>(argc, argv);
        QFont::insertSubstitution(QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"));
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

} // namespace

testing::Environment* InstallQtTestEnvironment() {
    return ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}
