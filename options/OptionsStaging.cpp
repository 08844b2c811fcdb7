// The staging record's initial values, the apply rule and the value mappings.
#include "options/OptionsStaging.h"

#include <algorithm>
#include <iterator>

namespace {

// The settings keys of each screen's pair; the month and map screens have two.
struct FontKeys {
    std::u16string AppSettings::*name;
    int AppSettings::*size;
    std::u16string AppSettings::*name2;
    int AppSettings::*size2;
};

const FontKeys kFontKeys[kFontScreenCount] = {
    {&AppSettings::DayVwGrdFntName, &AppSettings::DayVwGrdFntSize, nullptr, nullptr},
    {&AppSettings::WekVwGrdFntName, &AppSettings::WekVwGrdFntSize, nullptr, nullptr},
    {&AppSettings::MthVwGrdFntName, &AppSettings::MthVwGrdFntSize, &AppSettings::MthVwLstFntName,
     &AppSettings::MthVwLstFntSize},
    {&AppSettings::LstVwGrdFntName, &AppSettings::LstVwGrdFntSize, nullptr, nullptr},
    {&AppSettings::MapVwGrdFntName, &AppSettings::MapVwGrdFntSize, &AppSettings::MapVwLstFntName,
     &AppSettings::MapVwLstFntSize},
    {&AppSettings::RcdrFntName, &AppSettings::RcdrFntSize, nullptr, nullptr},
};

std::u16string AppSettings::*const kNameKeys[8] = {
    &AppSettings::StaDtTmName, &AppSettings::EndDtTmName, &AppSettings::LatName,   &AppSettings::LonName,
    &AppSettings::PlaceName,   &AppSettings::Cate1Name,   &AppSettings::Cate2Name, &AppSettings::MemoName,
};

void ApplyPage(int page, const OptionsStaging& st, AppSettings& s) {
    switch (page) {
    case 0:
        s.StartupMode = st.startupMode;
        s.ViewModeSave = st.viewModeSave;
        if (st.viewModeSave == 0) s.InitView = st.initView;
        s.OkBtnVwMode = st.okBtnVwMode;
        s.ActTxtMode = st.actTxtMode;
        s.ItmSelMode = st.itmSelMode;
        break;
    case 1:
        for (int i = 0; i < kFontScreenCount; ++i) {
            if (!st.fontChanged[i]) continue;
            const FontKeys& k = kFontKeys[i];
            s.*k.name = st.fonts[i].name;
            s.*k.size = st.fonts[i].size;
            if (k.name2) s.*k.name2 = st.fonts[i].name, s.*k.size2 = st.fonts[i].size;
        }
        s.SeqViewRng = st.seqViewRng;
        s.MonViewTapOpeMode = st.monViewTapOpeMode;
        break;
    case 2:
        s.TimeInitForNewMode = st.timeInitForNewMode;
        s.TimeInitForFollowMode = st.timeInitForFollowMode;
        s.PlaceSepaStr = st.placeSepaStr;
        s.NoMemPlaceSepaStr = st.noMemPlaceSepaStr;
        s.EditOpeCont = st.editOpeCont;
        break;
    case 3:
        s.DispListAfterFind = st.dispListAfterFind;
        break;
    case 4:
        for (int i = 0; i < 8; ++i)
            s.*kNameKeys[i] = st.names[i];
        break;
    default:
        break;
    }
}

} // namespace

OptionsStaging StageFromSettings(const AppSettings& s) {
    OptionsStaging st;
    st.startupMode = s.StartupMode;
    st.viewModeSave = s.ViewModeSave;
    st.initView = s.InitView;
    st.okBtnVwMode = s.OkBtnVwMode;
    st.actTxtMode = s.ActTxtMode;
    st.itmSelMode = s.ItmSelMode;
    for (int i = 0; i < kFontScreenCount; ++i)
        st.fonts[i] = {s.*kFontKeys[i].name, s.*kFontKeys[i].size};
    st.seqViewRng = s.SeqViewRng;
    st.monViewTapOpeMode = s.MonViewTapOpeMode;
    st.timeInitForNewMode = s.TimeInitForNewMode;
    st.timeInitForFollowMode = s.TimeInitForFollowMode;
    st.placeSepaStr = s.PlaceSepaStr;
    st.noMemPlaceSepaStr = s.NoMemPlaceSepaStr;
    st.editOpeCont = s.EditOpeCont;
    st.dispListAfterFind = s.DispListAfterFind;
    for (int i = 0; i < 8; ++i)
        st.names[i] = s.*kNameKeys[i];
    st.dataFile = s.DataFile;
    return st;
}

void ApplyStagedOptions(const OptionsStaging& staging, AppSettings& settings) {
    for (int page = 0; page < 5; ++page)
        if (staging.opened[page]) ApplyPage(page, staging, settings);
}

int FontSizeEntry(int size) {
    if (size == -1) return 0;
    return size >= 4 && size <= 48 ? size - 3 : 9 - 3;
}

int FontSizeOfEntry(int entry) {
    return entry <= 0 || entry >= kFontSizeEntries ? -1 : entry + 3;
}

int FontNameEntry(const std::u16string& name, const std::vector<std::u16string>& families) {
    if (name.empty()) return 0;
    auto found = std::find(families.begin(), families.end(), name);
    return found == families.end() ? 0 : static_cast<int>(found - families.begin()) + 1;
}

std::u16string FontNameOfEntry(int entry, const std::vector<std::u16string>& families) {
    if (entry <= 0 || entry > static_cast<int>(families.size())) return {};
    return families[static_cast<size_t>(entry) - 1];
}

int SeqViewRngEntry(int value) {
    auto found = std::find(std::begin(kSeqViewRngChoices), std::end(kSeqViewRngChoices), value);
    return found == std::end(kSeqViewRngChoices) ? -1 : static_cast<int>(found - std::begin(kSeqViewRngChoices));
}
