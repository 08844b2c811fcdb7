// Reading and writing the settings file, its defaults, migrations and pick lists.
#include "app/Settings.h"

#include "core/Cp932.h"
#include "core/DateTimeText.h"
#include "core/MessageBox.h"
#include "core/Paths.h"
#include "core/ReplaceFile.h"
#include "core/TextLines.h"
#include "core/Utf.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>

namespace {

enum class Section { None, System, Place, Memo, Category1, Category2, Find };

struct SectionHeader {
    const char16_t* header;
    Section section;
};

constexpr SectionHeader kHeaders[] = {
    {u"[System]", Section::System},       {u"[Place]", Section::Place},         {u"[Memo]", Section::Memo},
    {u"[Category1]", Section::Category1}, {u"[Category2]", Section::Category2}, {u"[Find]", Section::Find},
};

// Calls the visitor once per [System] key, in the order the file is written.
template <typename Visitor> void VisitSystemKeys(AppSettings& s, Visitor& v) {
    v.WriteOnly("Program Name", kSettingsProgramName);
    v.Version("Version", s.Version);
    v.WriteOnly("Copyright", kCopyrightNotice);
    v.Int("StartupMode", s.StartupMode);
    v.Int("ViewModeSave", s.ViewModeSave);
    v.View("InitView", s.InitView);
    v.Int("DaySeqVwLineNum", s.DaySeqVwLineNum);
    v.Int("SeqViewRng", s.SeqViewRng);
    v.Int("MonViewTapOpeMode", s.MonViewTapOpeMode);
    v.Int("DayVwMltDayMode", s.DayVwMltDayMode);
    v.Int("OkBtnVwMode", s.OkBtnVwMode);
    v.Int("ToolBarVwMode", s.ToolBarVwMode);
    v.Font("DayVwGrdFntName", s.DayVwGrdFntName);
    v.Size("DayVwGrdFntSize", s.DayVwGrdFntSize);
    v.Font("WekVwGrdFntName", s.WekVwGrdFntName);
    v.Size("WekVwGrdFntSize", s.WekVwGrdFntSize);
    v.Font("MthVwGrdFntName", s.MthVwGrdFntName);
    v.Size("MthVwGrdFntSize", s.MthVwGrdFntSize);
    v.Font("MthVwLstFntName", s.MthVwLstFntName);
    v.Size("MthVwLstFntSize", s.MthVwLstFntSize);
    v.Font("LstVwGrdFntName", s.LstVwGrdFntName);
    v.Size("LstVwGrdFntSize", s.LstVwGrdFntSize);
    v.Font("MapVwGrdFntName", s.MapVwGrdFntName);
    v.Size("MapVwGrdFntSize", s.MapVwGrdFntSize);
    v.Font("MapVwLstFntName", s.MapVwLstFntName);
    v.Size("MapVwLstFntSize", s.MapVwLstFntSize);
    v.Font("RcdrFntName", s.RcdrFntName);
    v.Size("RcdrFntSize", s.RcdrFntSize);
    char key[32];
    auto widths = [&](const char* stem, auto& array) {
        for (size_t i = 0; i < array.size(); ++i) {
            std::snprintf(key, sizeof key, "%s%02zu", stem, i);
            v.Int(key, array[i]);
        }
    };
    widths("DayVwPrtColWdh", s.DayVwPrtColWdh);
    widths("DayVwLndColWdh", s.DayVwLndColWdh);
    widths("MapVwPrtColWdh", s.MapVwPrtColWdh);
    widths("MapVwLndColWdh", s.MapVwLndColWdh);
    v.Int("TimeInitForNewMode", s.TimeInitForNewMode);
    v.Int("TimeInitForFollowMode", s.TimeInitForFollowMode);
    v.Text("PlaceSepaStr", s.PlaceSepaStr);
    v.Int("NoMemPlaceSepaStr", s.NoMemPlaceSepaStr);
    v.Int("EditOpeCont", s.EditOpeCont);
    v.Int("DispListAfterFind", s.DispListAfterFind);
    v.Text("StaDtTmName", s.StaDtTmName);
    v.Text("EndDtTmName", s.EndDtTmName);
    v.Text("LatName", s.LatName);
    v.Text("LonName", s.LonName);
    v.Text("SbjctName", s.SbjctName);
    v.Text("PlaceName", s.PlaceName);
    v.Text("Cate1Name", s.Cate1Name);
    v.Text("Cate2Name", s.Cate2Name);
    v.Text("MemoName", s.MemoName);
    v.Int("ActTxtMode", s.ActTxtMode);
    v.Int("ItmSelMode", s.ItmSelMode);
    v.Text("DataFile", s.DataFile);
}

// An int value: a non-empty run of decimal digits that fits; otherwise nothing.
std::optional<int> ReadUnsignedValue(std::u16string_view value) {
    if (CheckDigits(value) != 0) return std::nullopt;
    std::string ascii(value.begin(), value.end());
    int number = 0;
    auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), number);
    if (error != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
    return number;
}

// A size value: an optionally signed number, read as the C library's strtol would
// (one sign, then digits; a second sign reads as 0), clamped to the int range.
std::optional<int> ReadSignedValue(std::u16string_view value) {
    if (CheckSignedNumber(value) != 0) return std::nullopt;
    size_t i = 0;
    bool negative = false;
    if (value[0] == u'+' || value[0] == u'-') negative = value[i++] == u'-';
    long long number = 0;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        number = number * 10 + (value[i] - u'0');
        if (number > static_cast<long long>(INT_MAX) + 1) number = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) number = -number;
    return static_cast<int>(std::clamp<long long>(number, INT_MIN, INT_MAX));
}

// Applies one "key:value" line of [System] when the key is known.
struct LineReader {
    std::u16string_view key;
    std::u16string_view value;
    // Names are ASCII; compared in place, since every line is held against every key.
    bool Is(const char* name) const {
        size_t i = 0;
        for (; i < key.size() && name[i]; ++i)
            if (key[i] != static_cast<unsigned char>(name[i])) return false;
        return i == key.size() && !name[i];
    }

    void WriteOnly(const char*, const char16_t*) {}
    void Version(const char* name, OptText& target) {
        if (Is(name)) target = std::u16string(value);
    }
    void Int(const char* name, int& target) {
        if (!Is(name)) return;
        if (auto number = ReadUnsignedValue(value)) target = *number;
    }
    void View(const char* name, int& target) { Int(name, target); }
    void Size(const char* name, int& target) {
        if (!Is(name)) return;
        if (auto number = ReadSignedValue(value)) target = *number;
    }
    void Font(const char* name, std::u16string& target) {
        if (Is(name)) target = std::u16string(value.substr(0, kFontNameMax));
    }
    void Text(const char* name, std::u16string& target) {
        if (Is(name)) target = std::u16string(value);
    }
};

void ReadSystemLine(AppSettings& settings, std::u16string_view line) {
    size_t colon = line.find(u':');
    if (colon == std::u16string_view::npos) return;
    LineReader reader{line.substr(0, colon), line.substr(colon + 1)};
    if (reader.Is("SetNowForCreate")) {
        if (auto number = ReadUnsignedValue(reader.value)) settings.SetNowForCreate = *number;
        return;
    }
    VisitSystemKeys(settings, reader);
}

std::vector<std::u16string>* ListOf(PickLists& lists, Section section, size_t& capacity) {
    switch (section) {
    case Section::Place:
        return capacity = kPlaceCapacity, &lists.Place;
    case Section::Memo:
        return capacity = kMemoCapacity, &lists.Memo;
    case Section::Category1:
        return capacity = kCategory1Capacity, &lists.Category1;
    case Section::Category2:
        return capacity = kCategory2Capacity, &lists.Category2;
    case Section::Find:
        return capacity = kFindCapacity, &lists.Find;
    default:
        return nullptr;
    }
}

Section HeaderOf(std::u16string_view line) {
    for (const auto& h : kHeaders)
        if (line == h.header) return h.section;
    return Section::None;
}

void ReadLine(AppSettings& settings, Section& section, std::u16string_view line) {
    if (section == Section::None) {
        section = HeaderOf(line);
        return;
    }
    if (line.empty()) {
        section = Section::None;
        return;
    }
    if (section == Section::System) {
        ReadSystemLine(settings, line);
        return;
    }
    size_t capacity = 0;
    std::vector<std::u16string>* list = ListOf(settings.lists, section, capacity);
    if (list->size() < capacity) list->emplace_back(line);
}

// Collects the file's lines; the first failing write is remembered.
class LineWriter {
public:
    explicit LineWriter(std::FILE* file) : file_(file) {}
    void Line(std::u16string_view text) {
        if (ok_ && WriteTextLine(file_, text) != 0) ok_ = false;
    }
    void Pair(const char* key, std::u16string_view value) { Line(FromUtf8(key) + u":" + std::u16string(value)); }
    bool ok() const { return ok_; }

private:
    std::FILE* file_;
    bool ok_ = true;
};

struct SystemWriter {
    LineWriter& out;
    void WriteOnly(const char* name, const char16_t* text) { out.Pair(name, text); }
    void Version(const char* name, const OptText&) { out.Pair(name, kSettingsVersion); }
    void Int(const char* name, int value) { out.Pair(name, FormatText("%d", value)); }
    void View(const char* name, int value) { Int(name, value); }
    void Size(const char* name, int value) { Int(name, value); }
    void Font(const char* name, const std::u16string& value) { out.Pair(name, value); }
    void Text(const char* name, const std::u16string& value) { out.Pair(name, value); }
};

void WriteList(LineWriter& out, const char16_t* header, const std::vector<std::u16string>& list, size_t capacity) {
    out.Line(header);
    for (size_t i = 0; i < list.size() && i < capacity && !list[i].empty(); ++i)
        out.Line(list[i]);
    out.Line(u"");
}

void WriteAll(LineWriter& out, AppSettings settings, int currentView) {
    if (settings.ViewModeSave == 1) settings.InitView = currentView;
    out.Line(u"[System]");
    SystemWriter system{out};
    VisitSystemKeys(settings, system);
    out.Line(u"");
    WriteList(out, u"[Place]", settings.lists.Place, kPlaceCapacity);
    WriteList(out, u"[Memo]", settings.lists.Memo, kMemoCapacity);
    WriteList(out, u"[Category1]", settings.lists.Category1, kCategory1Capacity);
    WriteList(out, u"[Category2]", settings.lists.Category2, kCategory2Capacity);
    WriteList(out, u"[Find]", settings.lists.Find, kFindCapacity);
}

} // namespace

AppSettings DefaultSettings(int dpi) {
    AppSettings s;
    int size9 = (dpi * 9 + 48) / 96;
    for (int* size : {&s.DayVwGrdFntSize, &s.WekVwGrdFntSize, &s.MthVwGrdFntSize, &s.MthVwLstFntSize,
                      &s.LstVwGrdFntSize, &s.MapVwGrdFntSize, &s.MapVwLstFntSize})
        *size = size9;
    s.RcdrFntSize = (dpi * 10 + 48) / 96;
    return s;
}

void FillDefaultLists(PickLists& lists) {
    lists.Place = {u"会社", u"学校", u"自宅", u"レストラン", u"公園"};
    lists.Memo.clear();
    lists.Category1 = {u"仕事", u"アルバイト", u"授業", u"クラブ", u"遊び", u"スポーツ", u"食事", u"散歩", u"その他"};
    lists.Category2 = {u"デスクワーク", u"打合せ", u"出張",   u"コンビニ", u"ガソリンスタンド",
                       u"おしゃべり",   u"映画",   u"買い物", u"スキー",   u"水泳"};
    lists.Find.clear();
}

int ReadSettings(AppSettings& settings, std::u16string_view path) {
    settings.lists = PickLists{};
    for (auto* widths : {&settings.DayVwPrtColWdh, &settings.DayVwLndColWdh})
        widths->fill(-1);
    for (auto* widths : {&settings.MapVwPrtColWdh, &settings.MapVwLndColWdh})
        widths->fill(-1);
    std::FILE* file = std::fopen(NativePath(path).c_str(), "rb");
    if (!file) return -1;
    Section section = Section::None;
    int result = 0;
    for (;;) {
        std::u16string line;
        size_t bytes = 0;
        int rc = ReadTextLine(file, line, bytes);
        // -1 is the end; a last line without a line end is not taken.
        if (rc == -1) break;
        if (rc != 0) {
            result = rc;
            break;
        }
        ReadLine(settings, section, line);
    }
    std::fclose(file);
    settings.DataFile = ResolveStoredDataFilePath(settings.DataFile, path);
    return result;
}

int SaveSettings(const AppSettings& settings, int currentView, std::u16string_view path) {
    // The new file replaces the old one only when it is complete; it keeps the old
    // file's mode, and a linked TideLog.dat is written through to the file it names.
    ReplacingFile replacing(NativePath(path));
    bool ok = replacing.Open();
    if (ok) {
        LineWriter out(replacing.file());
        AppSettings stored = settings;
        stored.DataFile = StoredDataFilePath(settings.DataFile, path);
        WriteAll(out, stored, currentView);
        ok = out.ok() && replacing.Commit();
    }
    if (!ok) {
        replacing.Abandon();
        ShowMessage(nullptr, u"設定ファイルの書込みに失敗しました。", u"書込みエラー", MB_OK | MB_ICONSTOP);
        return -1;
    }
    return 0;
}

namespace {

// The folder of the settings file, ending with "/".
std::u16string SettingsFolder(std::u16string_view settingsPath) {
    size_t slash = settingsPath.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? u"" : settingsPath.substr(0, slash + 1));
}

bool IsAbsolute(std::u16string_view path) {
    return !path.empty() && (path[0] == u'/' || path[0] == u'\\');
}

} // namespace

bool Cp932CanHold(std::u16string_view text) {
    return FromCp932(ToCp932(text)) == text;
}

std::u16string StoredDataFilePath(std::u16string_view dataFile, std::u16string_view settingsPath) {
    if (Cp932CanHold(dataFile)) return std::u16string(dataFile);
    std::u16string folder = SettingsFolder(settingsPath);
    if (!folder.empty() && dataFile.starts_with(folder) && Cp932CanHold(dataFile.substr(folder.size())))
        return std::u16string(dataFile.substr(folder.size()));
    return std::u16string(dataFile); // refused where it was chosen; written as well as CP932 can
}

std::u16string ResolveStoredDataFilePath(std::u16string_view stored, std::u16string_view settingsPath) {
    if (stored.empty() || IsAbsolute(stored)) return std::u16string(stored);
    return SettingsFolder(settingsPath) + std::u16string(stored);
}

int CheckDataFilePathStorable(WindowHandle owner, std::u16string_view dataFile, std::u16string_view settingsPath) {
    if (Cp932CanHold(StoredDataFilePath(dataFile, settingsPath))) return 0;
    ShowMessage(owner,
                u"データファイル名 '" + std::u16string(dataFile) +
                    u"' には設定ファイルに保存できない文字が含まれています。\n"
                    u"このような名前はフォルダ '" +
                    SettingsFolder(settingsPath) + u"' の中でだけ使えます。別の名前を指定してください。",
                u"データファイル名不正", MB_OK | MB_ICONEXCLAMATION);
    return -1;
}

void ApplySettingsMigrations(AppSettings& s, std::u16string_view programFolderDataFile) {
    if (!s.Version) {
        s.SeqViewRng = 0;
    } else if (*s.Version <= std::u16string_view(u"2.3.2003.1122") && s.SeqViewRng < 10) {
        s.SeqViewRng = 0;
    }
    int fromOldKey = s.SetNowForCreate == 0 ? 2 : 1;
    if (s.TimeInitForNewMode == -1) s.TimeInitForNewMode = fromOldKey;
    if (s.TimeInitForFollowMode == -1) s.TimeInitForFollowMode = fromOldKey;
    if (s.DataFile.empty()) s.DataFile = std::u16string(programFolderDataFile);
}

void RememberPickValue(std::vector<std::u16string>& list, size_t capacity, const OptText& text) {
    if (!text || text->empty() || capacity == 0) return;
    auto found = std::find(list.begin(), list.end(), *text);
    if (found != list.end()) {
        std::rotate(list.begin(), found, found + 1);
        return;
    }
    if (list.size() >= capacity) list.resize(capacity - 1);
    list.insert(list.begin(), *text);
}
