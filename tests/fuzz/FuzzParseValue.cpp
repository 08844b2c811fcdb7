// Reads arbitrary text as an extended items text. Whatever was read must write out
// and read back to the same list.
#include "edit/ExtItemText.h"

#include "core/Utf.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text = FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    ExtItemList list;
    ParseValue(text, list);
    std::u16string written = FormatExtItemsText(list);
    ExtItemList back;
    if (ParseValue(written, back) != 0 || !(back == list)) __builtin_trap();
    if (FormatExtItemsText(back) != written) __builtin_trap();
    return 0;
}
