// Evaluates arbitrary memos against arbitrary extended items. The input is the items
// text, a NUL byte, then the memo (both UTF-8); without a NUL it is all memo.
#include "script/ActionText.h"

#include "core/Clock.h"
#include "core/Random.h"
#include "core/Utf.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(bytes, 0, size);
    size_t split = nul ? static_cast<size_t>(static_cast<const char*>(nul) - bytes) : 0;
    std::string_view items = nul ? std::string_view(bytes, split) : std::string_view();
    std::string_view memo = nul ? std::string_view(bytes + split + 1, size - split - 1) : std::string_view(bytes, size);

    SetFixedClock(2010, 11, 14, 9, 5, 3);
    SeedRandom(1);
    ActionTextInput action{{}, 35.5, kNoPosition};
    action.record[ActionField::Subject] = u"件名";
    action.record[ActionField::StaDateTime] = u"2010/11/14 09:00:00";
    action.record[ActionField::Memo] = FromUtf8(memo);
    action.record[ActionField::ExtItems] = FromUtf8(items);
    std::u16string shown;
    if (ParseActionText(action, shown) != 0) __builtin_trap();
    // A memo without "#" holds no program and shows as it is.
    if (action.record[ActionField::Memo]->find(u'#') == std::u16string::npos &&
        shown != *action.record[ActionField::Memo])
        __builtin_trap();
    return 0;
}
