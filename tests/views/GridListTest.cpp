// The grid list control: item operations and their codes, the row walk, painting of
// pressed and empty rows, dragging, the flick driven step by step with a test clock.
#include "core/ScaleByDpi.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/Screens.h"
#include "views/GridListCtrl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const auto* const g_environment = InstallQtTestEnvironment();

GridListItem Item(const char* text) {
    return GridListItem{0, 0, QString::fromUtf8(text)};
}

// A 200 × 100 list of 20-pixel rows: five rows fit.
class GridListFixture : public ::testing::Test {
protected:
    void SetUp() override {
        list.SetRowHeight(-1, 20);
        list.resize(200, 100);
        list.SetTickSource([this] { return tick; });
        list.SetFlickTimerEnabled(false);
        list.show();
    }
    void Fill(int count) {
        for (int i = 0; i < count; ++i)
            list.AppendItem(GridListItem{0, 0, QString::number(i)});
    }
    // Records the rows the paint draws, top to bottom, as (index, y).
    std::vector<std::pair<int, int>> DrawnRows() {
        std::vector<std::pair<int, int>> drawn;
        list.SetOperation(kGridOpDrawRow, [&](QPainter& p, int index, const QRect& rect) {
            drawn.emplace_back(index, rect.y());
            list.DrawRowDefault(p, index, rect);
        });
        list.SetOperation(kGridOpDrawEmpty, [&](QPainter& p, int index, const QRect& rect) {
            drawn.emplace_back(-1, rect.y());
            list.DrawEmptyDefault(p, index, rect);
        });
        list.grab();
        list.SetOperation(kGridOpDrawRow, {});
        list.SetOperation(kGridOpDrawEmpty, {});
        return drawn;
    }
    // Press at y, then move in 10-pixel steps to each of the points, 10 ms apart.
    void Drag(int fromY, std::initializer_list<int> toY) {
        QTest::mousePress(&list, Qt::LeftButton, {}, QPoint(50, fromY));
        int y = fromY;
        for (int target : toY) {
            while (y != target) {
                y += (target > y) ? std::min(10, target - y) : -std::min(10, y - target);
                tick += 10;
                QTest::mouseMove(&list, QPoint(50, y));
            }
        }
    }
    void Release(int y) { QTest::mouseRelease(&list, Qt::LeftButton, {}, QPoint(50, y)); }
    int RunFlick() {
        int steps = 0;
        while (list.FlickStep() && steps < 1000)
            ++steps;
        return steps;
    }

    std::uint32_t tick = 1000;
    CGridListCtrl list;
};

TEST_F(GridListFixture, ItemOperationsAndTheirBadIndexCodes) {
    Fill(3);
    struct Case {
        const char* what;
        int got;
        int expected;
    } cases[] = {
        {"insert before -1", list.InsertItem(-1, Item("x")), kGridBadIndex},
        {"insert after the end", list.InsertItem(4, Item("x")), kGridBadIndex},
        {"delete past the end", list.DeleteItem(3), kGridBadIndex},
        {"get flags", static_cast<int>(list.GetItemFlags(3)), kGridBadIndexValue},
        {"set flags", list.SetItemFlags(-1, 2), kGridBadIndex},
        {"row height -2", list.GetRowHeight(-2), kGridBadIndexValue},
        {"row height past the end", list.GetRowHeight(3), kGridBadIndexValue},
        {"set row height past the end", list.SetRowHeight(3, 10), kGridBadIndex},
        {"set row height 0", list.SetRowHeight(0, 0), kGridBadIndex},
        {"set default height 0", list.SetRowHeight(-1, 0), kGridBadIndex},
        {"row rect", list.GetRowRect(-1, nullptr), kGridBadIndex},
        {"copy", list.CopyItem(5, nullptr), kGridBadIndex},
        {"replace", list.ReplaceItem(3, Item("x")), kGridBadIndex},
        {"top index", list.SetTopIndex(3), kGridBadIndex},
        {"pressed index", list.SetPressedIndex(-1), kGridBadIndex},
        {"colour slot", list.SetColor(11, Qt::red), kGridBadIndex},
        {"operation slot", list.SetOperation(kGridOpCount, {}), kGridBadIndex},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetRowHeight(-1), 20);
    EXPECT_EQ(list.GetTopIndex(), 0);
    EXPECT_EQ(list.GetPressedIndex(), -1);
    EXPECT_FALSE(list.GetColor(11).isValid());
}

TEST_F(GridListFixture, ItemStoreKeepsOrderFlagsHeightsAndTexts) {
    Fill(3);                                     // 0 1 2
    EXPECT_EQ(list.InsertItem(1, Item("a")), 0); // 0 a 1 2
    EXPECT_EQ(list.AppendItem(GridListItem{0, 0, std::nullopt}), 0);
    EXPECT_EQ(list.FindItemText(0, QStringLiteral("1")), 2);
    EXPECT_EQ(list.FindItemText(3, QStringLiteral("1")), -1);
    EXPECT_EQ(list.FindItemText(-5, QStringLiteral("0")), 0);
    EXPECT_EQ(list.FindItemText(0, std::nullopt), 4);
    EXPECT_EQ(list.FindItemText(0, QString()), -1) << "an empty text is not an absent one";

    // The second word counts as the height only with flag bit 2.
    EXPECT_EQ(list.SetRowHeight(1, 35), 0);
    EXPECT_EQ(list.GetRowHeight(1), 20);
    EXPECT_EQ(list.SetItemFlags(1, kGridItemOwnHeight | 0x100), 0);
    EXPECT_EQ(list.GetItemFlags(1), kGridItemOwnHeight | 0x100);
    EXPECT_EQ(list.GetRowHeight(1), 35);
    QRect rect;
    EXPECT_EQ(list.GetRowRect(1, &rect), 0);
    EXPECT_EQ(rect, QRect(0, 0, 200, 35));

    GridListItem copy;
    EXPECT_EQ(list.CopyItem(1, &copy), 0);
    EXPECT_EQ(copy.text, QStringLiteral("a"));
    EXPECT_EQ(copy.second, 35u);
    EXPECT_EQ(list.ReplaceItem(1, Item("b")), 0);
    EXPECT_EQ(copy.text, QStringLiteral("a")) << "the copy owns its text";
    EXPECT_EQ(CGridListCtrl::FreeItem(&copy), 0);
    EXPECT_FALSE(copy.text.has_value());
    EXPECT_EQ(list.FindItemText(0, QStringLiteral("b")), 1);

    // A second word of 0 or a huge one cannot stall or overflow the walk.
    list.ReplaceItem(0, GridListItem{kGridItemOwnHeight, 0, QStringLiteral("z")});
    list.ReplaceItem(2, GridListItem{kGridItemOwnHeight, 0xFFFFFFFFu, QStringLiteral("h")});
    EXPECT_EQ(list.GetRowHeight(0), 1);
    EXPECT_GT(list.GetRowHeight(2), 100);
    EXPECT_EQ(list.RowAt(1), 1);
    EXPECT_EQ(list.RowAt(1000), 2);

    EXPECT_EQ(list.SetPressedIndex(3), 0);
    EXPECT_EQ(list.DeleteItem(1), 0);
    EXPECT_EQ(list.GetPressedIndex(), 2) << "the pressed item moves up with the others";
    EXPECT_EQ(list.DeleteItem(2), 0);
    EXPECT_EQ(list.GetPressedIndex(), -1);
    EXPECT_EQ(list.DeleteAllItems(), 0);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.RowAt(0), -1);
}

TEST_F(GridListFixture, ColoursStyleBitsAndDefaultHeightFromTheFont) {
    const QColor defaults[] = {{224, 224, 224}, {255, 255, 255}, {64, 96, 192}, {0, 0, 0},
                               {64, 96, 192},   {240, 240, 240}, {0, 0, 0},     {220, 220, 220},
                               {128, 128, 128}, {220, 220, 220}, {0, 0, 0}};
    CGridListCtrl fresh;
    for (int slot = 0; slot < kGridColorCount; ++slot)
        EXPECT_EQ(fresh.GetColor(slot), defaults[slot]) << slot;
    EXPECT_EQ(fresh.SetColor(7, QColor(1, 2, 3)), 0);
    EXPECT_EQ(fresh.GetColor(7), QColor(1, 2, 3));

    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPixelSize(30);
    fresh.setFont(font);
    EXPECT_EQ(fresh.GetRowHeight(-1), QFontMetrics(font).height());

    EXPECT_EQ(list.SetStyleBits(0xFF, kGridWrapAround | kGridShadow | 0x40), 0);
    EXPECT_EQ(list.SetStyleBits(kGridShadow, 0), 0);
    EXPECT_EQ(list.GetStyleBits(0xFF), kGridWrapAround | 0x40);
    EXPECT_EQ(list.GetStyleBits(kGridWrapAround), kGridWrapAround);

    QScreen* screen = QGuiApplication::primaryScreen();
    int expected = std::max(screen->size().width(), screen->size().height()) / 50;
    EXPECT_EQ(list.DragThresholdX(), expected);
    EXPECT_EQ(list.DragThresholdY(), expected);
}

TEST_F(GridListFixture, RowAtWalksBothWaysWithAndWithoutWrapAround) {
    // Heights 10, 30, 20 from their own second words; the default stays 20.
    const int heights[] = {10, 30, 20};
    for (int h : heights)
        list.AppendItem(GridListItem{kGridItemOwnHeight, static_cast<std::uint32_t>(h), QString()});
    list.SetTopIndex(1);
    struct Case {
        int distance;
        int plain;
        int wrapped;
    } cases[] = {
        {0, 1, 1},    {29, 1, 1},   {30, 2, 2},   {49, 2, 2},     {50, -1, 0},     {59, -1, 0},
        {60, -1, 1},  {-1, 0, 0},   {-10, 0, 0},  {-11, -1, 2},   {-30, -1, 2},    {-31, -1, 1},
        {-61, -1, 0}, {-70, -1, 0}, {-71, -1, 2}, {60005, -1, 1}, {-60001, -1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(list.RowAt(c.distance), c.plain) << "plain " << c.distance;
    list.SetStyleBits(kGridWrapAround, kGridWrapAround);
    for (const Case& c : cases)
        EXPECT_EQ(list.RowAt(c.distance), c.wrapped) << "wrapped " << c.distance;
}

TEST_F(GridListFixture, KeysAndSizeKeepTheTopIndexInRange) {
    Fill(10); // 200 pixels of rows in a 100-pixel list: the last top index is 5
    EXPECT_EQ(list.LastTopIndex(), 5);
    struct Case {
        int key;
        int start;
        int expected;
    } cases[] = {
        {Qt::Key_End, 0, 5}, {Qt::Key_Home, 7, 0}, {Qt::Key_Up, 0, 0},
        {Qt::Key_Up, 4, 3},  {Qt::Key_Down, 8, 9}, {Qt::Key_Down, 9, 9},
    };
    for (const Case& c : cases) {
        list.SetTopIndex(c.start);
        QTest::keyClick(&list, static_cast<Qt::Key>(c.key));
        EXPECT_EQ(list.GetTopIndex(), c.expected) << c.key << " from " << c.start;
    }
    list.SetTopIndex(9);
    list.resize(200, 120);
    EXPECT_EQ(list.GetTopIndex(), 4) << "size clamps to the last top index";
    list.resize(200, 400);
    EXPECT_EQ(list.GetTopIndex(), 0);
    // A wheel may keep any row at the top.
    list.SetStyleBits(kGridWrapAround, kGridWrapAround);
    list.resize(200, 100);
    list.SetTopIndex(9);
    list.resize(200, 120);
    EXPECT_EQ(list.GetTopIndex(), 9);
}

TEST_F(GridListFixture, WrapAroundDragUpPastTheLastRowShowsTheFirst) {
    Fill(3);
    list.SetStyleBits(kGridWrapAround, kGridWrapAround);
    Drag(10, {-50}); // 60 pixels up: three rows
    EXPECT_EQ(list.GetScrollMode(), 1);
    std::vector<std::pair<int, int>> expected = {{0, 0}, {1, 20}, {2, 40}, {0, 60}, {1, 80}};
    EXPECT_EQ(DrawnRows(), expected);
    QTest::mouseMove(&list, QPoint(50, -55));
    expected = {{0, -5}, {1, 15}, {2, 35}, {0, 55}, {1, 75}, {2, 95}};
    EXPECT_EQ(DrawnRows(), expected);

    // Without wrap-around the same drag leaves only the empty area.
    Release(-55);
    RunFlick();
    list.SetStyleBits(kGridWrapAround, 0);
    list.SetTopIndex(0);
    Drag(10, {-30});
    expected = {{2, 0}, {-1, 20}, {-1, 40}, {-1, 60}, {-1, 80}};
    EXPECT_EQ(DrawnRows(), expected);
    Release(-30);
    RunFlick();
}

TEST_F(GridListFixture, PressDuringAFlickStopsItAndPressesNothing) {
    Fill(10);
    QSignalSpy started(&list, &CGridListCtrl::flickStarted);
    QSignalSpy ended(&list, &CGridListCtrl::flickEnded);
    QSignalSpy released(&list, &CGridListCtrl::penReleased);
    Drag(50, {10}); // 40 pixels up in 40 ms: 1 pixel per ms
    Release(10);
    ASSERT_TRUE(list.IsFlicking());
    EXPECT_EQ(started.count(), 1);
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released[0][1].toBool(), true) << "the release reports the drag";
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(list.FlickStep());
    int offset = list.ScrollOffset();
    EXPECT_GT(offset, 40 + 50);

    ASSERT_EQ(list.GetPressedIndex(), 2) << "pressed by the drag";
    QTest::mousePress(&list, Qt::LeftButton, {}, QPoint(50, 10));
    EXPECT_FALSE(list.IsPressed());
    EXPECT_EQ(list.GetPressedIndex(), 2);
    EXPECT_FALSE(list.FlickStep());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(list.GetScrollMode(), 0);
    EXPECT_EQ(list.GetTopIndex(), offset / 20) << "the snap takes the row at the offset";
    Release(10);
    ASSERT_EQ(released.count(), 2);
    EXPECT_EQ(released[1][0].toInt(), -1) << "the stopping press is no tap";
    EXPECT_EQ(released[1][1].toBool(), false);
    EXPECT_EQ(list.GetPressedIndex(), 2);
}

TEST_F(GridListFixture, FlickPastTheEndSnapsToTheLastTopIndex) {
    Fill(10);
    QSignalSpy ended(&list, &CGridListCtrl::flickEnded);
    list.StartFlick(100, 20); // 5 pixels per ms: far past the 200 pixels of rows
    int steps = RunFlick();
    EXPECT_EQ(steps, 126) << "n = |v / a| / 20 = 125, steps 1 … n + 1";
    EXPECT_EQ(list.GetTopIndex(), 5);
    EXPECT_EQ(ended.count(), 1);

    // Painting a flick that has carried every row away asks it to stop.
    list.SetTopIndex(0);
    list.StartFlick(100, 20);
    steps = 0;
    while (list.FlickStep() && steps < 1000) {
        ++steps;
        list.grab();
    }
    EXPECT_LT(steps, 10);
    EXPECT_EQ(list.GetTopIndex(), 5);

    // Downward past the start snaps to 0.
    list.SetTopIndex(5);
    list.StartFlick(-100, 20);
    RunFlick();
    EXPECT_EQ(list.GetTopIndex(), 0);
}

TEST_F(GridListFixture, FlickPhysicsAndItsDegenerateCases) {
    Fill(10);
    list.SetStyleBits(kGridWrapAround, kGridWrapAround);
    QSignalSpy started(&list, &CGridListCtrl::flickStarted);
    QSignalSpy ended(&list, &CGridListCtrl::flickEnded);
    // 1 pixel per ms slows to a stop after v² / 2a = 250 pixels: 12 rows on, row 2.
    list.StartFlick(40, 40);
    EXPECT_EQ(RunFlick(), 26);
    EXPECT_EQ(list.GetTopIndex(), 2);
    // A release within the millisecond of the turn counts as 1 ms, not a division by 0.
    list.StartFlick(3, 0);
    EXPECT_EQ(RunFlick(), 76);
    EXPECT_GE(list.GetTopIndex(), 0);
    EXPECT_LT(list.GetTopIndex(), 10);
    // No distance: no steps, but both notifications.
    list.StartFlick(0, 50);
    EXPECT_FALSE(list.IsFlicking());
    EXPECT_EQ(started.count(), 3);
    EXPECT_EQ(ended.count(), 3);
    // A fast flick is cut at 201 steps.
    list.StartFlick(100000, 1);
    EXPECT_EQ(RunFlick(), 201);

    // Outside tests the flick runs on a 20 ms timer of the control.
    list.SetFlickTimerEnabled(true);
    QTimer* timer = list.findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    list.StartFlick(40, 40);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 20);
    while (list.FlickStep()) {
    }
    EXPECT_FALSE(timer->isActive());
}

TEST_F(GridListFixture, DragThresholdAndDirectionChangeRestartTheMeasurement) {
    Fill(10);
    QSignalSpy released(&list, &CGridListCtrl::penReleased);
    int below = list.DragThresholdY() - 1;
    QTest::mousePress(&list, Qt::LeftButton, {}, QPoint(50, 30));
    EXPECT_EQ(list.GetPressedIndex(), 1);
    QTest::mouseMove(&list, QPoint(50 + below, 30 + below));
    EXPECT_EQ(list.GetScrollMode(), 0);
    Release(30 + below);
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released[0][0].toInt(), 1);
    EXPECT_EQ(released[0][1].toBool(), false);
    EXPECT_FALSE(list.IsFlicking());

    // Up 40 pixels over 100 ms, then down 20 in the 10 ms since the turn: the flick goes down.
    list.SetTopIndex(3);
    QTest::mousePress(&list, Qt::LeftButton, {}, QPoint(50, 50));
    tick += 100;
    QTest::mouseMove(&list, QPoint(50, 10));
    EXPECT_EQ(list.GetScrollMode(), 1);
    tick += 10;
    QTest::mouseMove(&list, QPoint(50, 20));
    tick += 10;
    QTest::mouseMove(&list, QPoint(50, 30));
    Release(30);
    EXPECT_EQ(list.ScrollOffset(), 20);
    ASSERT_TRUE(list.FlickStep());
    EXPECT_LT(list.ScrollOffset(), 1) << "the flick follows the last direction, 2 pixels per ms";
    RunFlick();
    EXPECT_LT(list.GetTopIndex(), 3);
}

TEST_F(GridListFixture, PaintsPressedEmptyAndShadowedRows) {
    list.AppendItem(Item("WWWW"));
    list.AppendItem(GridListItem{0, 0, std::nullopt});
    list.AppendItem(Item("WWWW"));
    list.SetStyleBits(kGridShadow, kGridShadow);
    auto count = [](const QImage& image, int top, int bottom, auto match) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < image.width(); ++x)
                n += match(image.pixelColor(x, y));
        return n;
    };
    auto is = [](QColor colour) { return [colour](QColor c) { return c == colour; }; };
    // Text pixels are blended by anti-aliasing: white text lifts the red of the blue fill,
    // the black shadow lowers the blue.
    auto whitish = [](QColor c) { return c.red() > 160; };
    auto darkish = [](QColor c) { return c.blue() < 120; };
    QImage image = list.grab().toImage();
    const QColor fill(64, 96, 192), black(0, 0, 0), line(240, 240, 240);
    EXPECT_GT(count(image, 0, 19, whitish), 0) << "row 0 shows its text";
    EXPECT_GT(count(image, 0, 19, darkish), 0) << "and its shadow";
    EXPECT_EQ(count(image, 20, 39, is(fill)), 200 * 19) << "the row without text is only its fill";
    EXPECT_EQ(count(image, 39, 40, is(line)), 200) << "separator along the bottom edge";
    EXPECT_EQ(count(image, 60, 100, is(QColor(224, 224, 224))), 200 * 40) << "empty area below the rows";
    list.SetStyleBits(kGridShadow, 0);
    EXPECT_EQ(count(list.grab().toImage(), 0, 19, darkish), 0) << "no shadow without the style";

    QTest::mousePress(&list, Qt::LeftButton, {}, QPoint(50, 45));
    image = list.grab().toImage();
    EXPECT_GT(count(image, 40, 59, is(QColor(220, 220, 220))), 200 * 10) << "pressed fill";
    EXPECT_EQ(count(image, 59, 60, is(black)), 200) << "pressed separator";
    Release(45);
    image = list.grab().toImage();
    EXPECT_EQ(count(image, 40, 59, is(QColor(220, 220, 220))), 0);
}

TEST_F(GridListFixture, ScreenshotOfAWheelInMidDrag) {
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPixelSize(ScaleByDpi(12));
    list.setFont(font);
    list.SetRowHeight(-1, list.GetRowHeight(-1) * 2);
    list.SetWindowStyle(kGridTextCenter | kGridTextVCenter | kGridTextSingleLine);
    list.SetStyleBits(kGridWrapAround | kGridShadow, kGridWrapAround | kGridShadow);
    const char* names[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
    for (const char* n : names)
        list.AppendItem(Item(n));
    list.resize(ScaleByDpi(80), list.GetRowHeight(-1) * 5);
    list.SetTopIndex(5);
    QTest::mousePress(&list, Qt::LeftButton, {}, QPoint(20, 60));
    QTest::mouseMove(&list, QPoint(20, 20));
    EXPECT_FALSE(SaveScreenshot(&list, QStringLiteral("gridlist_wrap")).isEmpty());
    Release(20);
    RunFlick();
}

} // namespace
