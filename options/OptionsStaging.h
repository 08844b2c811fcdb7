// The options sheet's staging record: what each page shows and what OK writes back.
// Pages copy their controls in when they are released; OK copies the staged values of
// the pages that were opened, in page order, into the settings. Plain C++, so the value
// mappings and the apply rule are tested without a screen.
#pragma once

#include "app/Settings.h"

#include <array>
#include <string>
#include <vector>

inline constexpr int kOptionsPageCount = 6; // 全般, 表示, 編集, 検索, カスタマイズ, データ
inline constexpr int kFontScreenCount = 6;  // 1日, 1週, 1ヶ月, 一覧, マップ, レコーダー

struct FontPair {
    std::u16string name; // empty: the system UI font
    int size = -1;       // -1: the platform's UI font size
    bool operator==(const FontPair&) const = default;
};

struct OptionsStaging {
    // 全般
    int startupMode = 0;
    int viewModeSave = 1;
    int initView = 1;
    int okBtnVwMode = 1;
    int actTxtMode = 1;
    int itmSelMode = 1;
    // 表示: one pair per screen; a pair the user changed is marked so that only it is written.
    std::array<FontPair, kFontScreenCount> fonts;
    std::array<bool, kFontScreenCount> fontChanged{};
    int seqViewRng = 20;
    int monViewTapOpeMode = 1;
    // 編集
    int timeInitForNewMode = 1;
    int timeInitForFollowMode = 1;
    std::u16string placeSepaStr;
    int noMemPlaceSepaStr = 0;
    int editOpeCont = 0;
    // 検索
    int dispListAfterFind = 0;
    // カスタマイズ: 開始, 終了, 緯度, 経度, 場所, 分類1, 分類2, メモ
    std::array<std::u16string, 8> names;
    // データ
    std::u16string dataFile;

    std::array<bool, kOptionsPageCount> opened{};
    bool okPressed = false;
    bool dataFileChanged = false;
};

// The staged values as the settings hold them.
OptionsStaging StageFromSettings(const AppSettings& settings);
// OK: the staged values of every opened page 0 … 4, in page order (the data page is
// the caller's: it changes the data file). InitView only while ViewModeSave is 0; the
// month and map pairs go to both of their keys.
void ApplyStagedOptions(const OptionsStaging& staging, AppSettings& settings);

// The size list "<既定>", "4" … "48": the entry a stored size preselects (-1 and 4 … 48
// their own, anything else "9"), and the size of an entry ("<既定>" is -1).
int FontSizeEntry(int size);
int FontSizeOfEntry(int entry);
inline constexpr int kFontSizeEntries = 46;
// The name list "<既定>" then the families: the entry of a stored name (0 when the
// name is not among them), and the name of an entry ("<既定>" is empty).
int FontNameEntry(const std::u16string& name, const std::vector<std::u16string>& families);
std::u16string FontNameOfEntry(int entry, const std::vector<std::u16string>& families);

// The choices of "一覧表示時の表示個数:" ("一画面", "10" … "30"); the entry of a value,
// -1 when the value is none of them.
inline constexpr int kSeqViewRngChoices[] = {0, 10, 15, 20, 25, 30};
int SeqViewRngEntry(int value);
