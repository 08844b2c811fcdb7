// What every benchmark of a window or a Qt dialog does around its runs: an offscreen
// QApplication with the dialogs' font, and answers to the questions so that nothing
// waits for a click.
#pragma once

#include <benchmark/benchmark.h>

#include "core/MessageBox.h"

#include <QApplication>
#include <QFont>

#include <functional>

// Yes to a question, OK to everything else.
class AnswerYes : public MessagePresenter {
public:
    int Show(WindowHandle, std::u16string_view, std::u16string_view, unsigned flags) override {
        return (flags & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    }
};

// Runs the benchmarks the command line names inside a QApplication (offscreen unless
// QT_QPA_PLATFORM says otherwise); prepare runs once the application exists.
inline int RunQtBenchmarks(int argc, char** argv, const std::function<void()>& prepare = {}) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    QFont::insertSubstitution(QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"));
    if (prepare) prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
