// Arbitrary bytes as the settings file. Whatever is read must save, and the saved
// file must read back to the same settings and save again to the same bytes. When
// every text read is one CP932 can hold, the settings read back equal those read from
// the input (the version is always written as the program's own, the older TimeInit
// key never).
#include "app/Settings.h"

#include "core/Utf.h"
#include "tests/fuzz/FuzzFolder.h"
#include "tests/support/ScriptedMessages.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string& Folder() {
    static const std::string folder = MakeFuzzFolder("settings");
    return folder;
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool AllHeld(const AppSettings& s) {
    for (const std::u16string* text :
         {&s.DayVwGrdFntName, &s.WekVwGrdFntName, &s.MthVwGrdFntName, &s.MthVwLstFntName, &s.LstVwGrdFntName,
          &s.MapVwGrdFntName, &s.MapVwLstFntName, &s.RcdrFntName, &s.PlaceSepaStr, &s.StaDtTmName, &s.EndDtTmName,
          &s.LatName, &s.LonName, &s.SbjctName, &s.PlaceName, &s.Cate1Name, &s.Cate2Name, &s.MemoName, &s.DataFile})
        if (!Cp932CanHold(*text)) return false;
    for (const auto* list : {&s.lists.Place, &s.lists.Memo, &s.lists.Category1, &s.lists.Category2, &s.lists.Find})
        for (const auto& entry : *list)
            if (!Cp932CanHold(entry)) return false;
    return true;
}

// Saves the settings to path and reads them back into a fresh default set.
AppSettings SaveAndRead(const AppSettings& settings, const std::u16string& path) {
    if (SaveSettings(settings, settings.InitView, path) != 0) __builtin_trap();
    AppSettings back = DefaultSettings(96);
    if (ReadSettings(back, path) != 0) __builtin_trap();
    return back;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScriptedMessages messages;
    std::string input = Folder() + "/in/TideLog.dat";
    std::u16string saved = FromUtf8(Folder() + "/out/TideLog.dat");
    static bool made = mkdir((Folder() + "/in").c_str(), 0700) == 0 && mkdir((Folder() + "/out").c_str(), 0700) == 0;
    if (!made) __builtin_trap();
    std::FILE* file = std::fopen(input.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) __builtin_trap();

    AppSettings read = DefaultSettings(96);
    int result = ReadSettings(read, FromUtf8(input));
    if (result != 0) __builtin_trap(); // a readable file of any bytes reads
    if (read.lists.Place.size() > kPlaceCapacity || read.lists.Memo.size() > kMemoCapacity ||
        read.lists.Find.size() > kFindCapacity || read.DayVwGrdFntName.size() > kFontNameMax)
        __builtin_trap();

    AppSettings first = SaveAndRead(read, saved);
    std::string firstBytes = Bytes(ToUtf8(saved));
    AppSettings second = SaveAndRead(first, saved);
    if (!(second == first) || Bytes(ToUtf8(saved)) != firstBytes) __builtin_trap();
    if (messages.count() != 0) __builtin_trap();

    if (AllHeld(read)) {
        AppSettings expected = read;
        expected.Version = first.Version;
        expected.SetNowForCreate.reset();
        if (!(expected == first)) __builtin_trap();
    }
    return 0;
}
