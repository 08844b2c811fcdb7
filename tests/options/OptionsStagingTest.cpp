// The staging record: value mappings, the apply rule (opened pages only, in order),
// InitView under ViewModeSave, and the font pairs of the month and map screens.
#include "options/OptionsStaging.h"

#include <gtest/gtest.h>

namespace {

TEST(OptionsStaging, UnopenedPagesStayUntouched) {
    AppSettings settings = DefaultSettings(96);
    AppSettings before = settings;
    OptionsStaging st = StageFromSettings(settings);
    st.startupMode = 2;
    st.seqViewRng = 10;
    st.fonts[0] = {u"Serif", 12};
    st.fontChanged[0] = true;
    st.editOpeCont = 1;
    st.dispListAfterFind = 1;
    st.names[4] = u"所在地";
    st.opened[1] = st.opened[3] = true;
    ApplyStagedOptions(st, settings);
    EXPECT_EQ(settings.SeqViewRng, 10);
    EXPECT_EQ(settings.DayVwGrdFntName, u"Serif");
    EXPECT_EQ(settings.DayVwGrdFntSize, 12);
    EXPECT_EQ(settings.DispListAfterFind, 1);
    // Pages 0, 2 and 4 were never opened.
    EXPECT_EQ(settings.StartupMode, before.StartupMode);
    EXPECT_EQ(settings.EditOpeCont, before.EditOpeCont);
    EXPECT_EQ(settings.PlaceName, before.PlaceName);
    // Nothing opened: nothing changes at all.
    AppSettings untouched = before;
    OptionsStaging none = StageFromSettings(untouched);
    none.startupMode = 1;
    ApplyStagedOptions(none, untouched);
    EXPECT_EQ(untouched, before);
}

TEST(OptionsStaging, InitViewOnlyWithoutSavingTheView) {
    AppSettings settings = DefaultSettings(96);
    settings.InitView = 2;
    OptionsStaging st = StageFromSettings(settings);
    st.opened[0] = true;
    st.viewModeSave = 1;
    st.initView = 4;
    ApplyStagedOptions(st, settings);
    EXPECT_EQ(settings.InitView, 2);
    st.viewModeSave = 0;
    ApplyStagedOptions(st, settings);
    EXPECT_EQ(settings.InitView, 4);
    EXPECT_EQ(settings.ViewModeSave, 0);
}

TEST(OptionsStaging, MonthAndMapPairsGoToBothKeys) {
    AppSettings settings = DefaultSettings(96);
    settings.MthVwLstFntName = u"Other";
    settings.MthVwLstFntSize = 20;
    settings.MapVwLstFntSize = 30;
    OptionsStaging st = StageFromSettings(settings);
    st.opened[1] = true;
    st.fonts[2] = {u"Mono", 14};
    st.fontChanged[2] = true;
    st.fonts[1] = {u"", -1};
    st.fontChanged[1] = true;
    ApplyStagedOptions(st, settings);
    EXPECT_EQ(settings.MthVwGrdFntName, u"Mono");
    EXPECT_EQ(settings.MthVwLstFntName, u"Mono");
    EXPECT_EQ(settings.MthVwGrdFntSize, 14);
    EXPECT_EQ(settings.MthVwLstFntSize, 14);
    EXPECT_EQ(settings.WekVwGrdFntName, u"");
    EXPECT_EQ(settings.WekVwGrdFntSize, -1);
    // The map pair was not changed: its second key keeps its own value.
    EXPECT_EQ(settings.MapVwLstFntSize, 30);
    st.fonts[4] = {u"Sans", 8};
    st.fontChanged[4] = true;
    ApplyStagedOptions(st, settings);
    EXPECT_EQ(settings.MapVwGrdFntSize, 8);
    EXPECT_EQ(settings.MapVwLstFntSize, 8);
    EXPECT_EQ(settings.MapVwLstFntName, u"Sans");
}

TEST(OptionsStaging, ListEntries) {
    struct {
        int size, entry;
    } sizes[] = {{-1, 0}, {4, 1}, {9, 6}, {48, 45}, {3, 6}, {49, 6}, {0, 6}, {-2, 6}};
    for (auto c : sizes)
        EXPECT_EQ(FontSizeEntry(c.size), c.entry) << c.size;
    EXPECT_EQ(FontSizeOfEntry(0), -1);
    EXPECT_EQ(FontSizeOfEntry(1), 4);
    EXPECT_EQ(FontSizeOfEntry(45), 48);
    std::vector<std::u16string> families{u"Mono", u"Noto Sans CJK JP"};
    EXPECT_EQ(FontNameEntry(u"Noto Sans CJK JP", families), 2);
    EXPECT_EQ(FontNameEntry(u"MS UI Gothic", families), 0); // not offered: "<既定>"
    EXPECT_EQ(FontNameEntry(u"", families), 0);
    EXPECT_EQ(FontNameOfEntry(0, families), u"");
    EXPECT_EQ(FontNameOfEntry(1, families), u"Mono");
    EXPECT_EQ(FontNameOfEntry(3, families), u"");
    EXPECT_EQ(SeqViewRngEntry(0), 0);
    EXPECT_EQ(SeqViewRngEntry(30), 5);
    EXPECT_EQ(SeqViewRngEntry(12), -1);
}

TEST(OptionsStaging, PagesApplyInOrder) {
    AppSettings settings = DefaultSettings(96);
    OptionsStaging st = StageFromSettings(settings);
    for (bool& opened : st.opened)
        opened = true;
    st.names = {u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h"};
    st.placeSepaStr = u"→";
    st.timeInitForNewMode = 3;
    st.timeInitForFollowMode = 2;
    st.okBtnVwMode = 2;
    st.itmSelMode = 2;
    st.actTxtMode = 2;
    st.monViewTapOpeMode = 2;
    ApplyStagedOptions(st, settings);
    EXPECT_EQ(settings.StaDtTmName, u"a");
    EXPECT_EQ(settings.MemoName, u"h");
    EXPECT_EQ(settings.SbjctName, u"件名"); // no field for it
    EXPECT_EQ(settings.PlaceSepaStr, u"→");
    EXPECT_EQ(settings.TimeInitForNewMode, 3);
    EXPECT_EQ(settings.TimeInitForFollowMode, 2);
    EXPECT_EQ(settings.OkBtnVwMode, 2);
    EXPECT_EQ(settings.ItmSelMode, 2);
    EXPECT_EQ(settings.ActTxtMode, 2);
    EXPECT_EQ(settings.MonViewTapOpeMode, 2);
    EXPECT_EQ(settings.DataFile, DefaultSettings(96).DataFile); // the data page is the caller's
}

} // namespace
