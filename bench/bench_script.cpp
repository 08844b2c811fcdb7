// Showing a memo: ParseActionText of a 2,000-character memo with 20 programs for an
// action with 30 extended items (target: under 1 ms), and ParseValue of a
// 2,000-character extended items text (target: under 100 µs).
#include "script/ActionText.h"

#include "edit/ExtItemText.h"

#include "core/Utf.h"

#include <benchmark/benchmark.h>

namespace {

// 30 items of every type, about 1,000 characters of text.
std::u16string ThirtyItems() {
    ExtItemList list;
    for (int i = 0; i < 30; ++i) {
        std::u16string name = FormatText("item%02d", i);
        switch (i % 5) {
        case 0:
            list.Insert({name, u"整数", u"int", FormatText("%d", i * 7)});
            break;
        case 1:
            list.Insert({name, u"実数", u"float", FormatText("%d.25", i)});
            break;
        case 2:
            list.Insert({name, u"文字", u"string", u"text \"quoted\" " + name});
            break;
        case 3:
            list.Insert({name, u"日付", u"date", u"2010/11/14"});
            break;
        default:
            list.Insert({name, u"時刻", u"datetime", u"2010/11/14 09:05:03"});
            break;
        }
    }
    return FormatExtItemsText(list);
}

// 20 programs with arithmetic, an if chain and calls, padded with text to 2,000 characters.
std::u16string TwentyPrograms() {
    std::u16string memo;
    for (int i = 0; i < 20; ++i) {
        memo += FormatText("#t=item%02d*%d+item01/2.5-item05;", i % 5 * 5, i % 10);
        memo += u"if(t<99){\"小\"}else if(t<999){Substring(item02,1)}else{Length(SIPlace)}#";
    }
    while (memo.size() < 2000)
        memo += u"余白";
    return memo;
}

void BM_ParseActionText(benchmark::State& state) {
    ActionTextInput action{{}, 35.681236, 139.767125};
    action.record[ActionField::Subject] = u"散歩";
    action.record[ActionField::StaDateTime] = u"2010/11/14 09:00:00";
    action.record[ActionField::Memo] = TwentyPrograms();
    action.record[ActionField::ExtItems] = ThirtyItems();
    std::u16string shown;
    for (auto _ : state) {
        ParseActionText(action, shown);
        benchmark::DoNotOptimize(shown.data());
    }
    state.counters["memo_chars"] = static_cast<double>(action.record[ActionField::Memo]->size());
    state.counters["items_chars"] = static_cast<double>(action.record[ActionField::ExtItems]->size());
}
BENCHMARK(BM_ParseActionText)->Unit(benchmark::kMicrosecond);

void BM_ParseValue(benchmark::State& state) {
    std::u16string text = ThirtyItems();
    std::u16string more = text;
    // The same items again under other names, up to 2,000 characters.
    for (size_t i = 0; text.size() < 2000; ++i) {
        std::u16string copy = more;
        for (size_t at = copy.find(u"item"); at != std::u16string::npos; at = copy.find(u"item", at + 1))
            copy[at] = u'j' + static_cast<char16_t>(i);
        text += copy;
    }
    text.resize(text.rfind(u':', 2000) + 1);
    for (auto _ : state) {
        ExtItemList list;
        benchmark::DoNotOptimize(ParseValue(text, list));
        benchmark::DoNotOptimize(list.size());
    }
    state.counters["text_chars"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseValue)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
