// Progress of a long loop over rows (import, export, compaction, salvage). The GUI
// shows a progress dialog once a loop has run half a second; the default does nothing.
#pragma once

#include <cstdint>
#include <string_view>

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // A loop begins; title says what it does (its phase, for example "書込み中"), total
    // is the number of steps, or -1 when unknown.
    virtual void Start(std::u16string_view title, std::int64_t total) { (void)title, (void)total; }
    // Called about every 1,000 rows with the number done so far.
    virtual void Step(std::int64_t done) { (void)done; }
    virtual void Finish() {}
};

void SetProgressSink(ProgressSink* sink);
ProgressSink& CurrentProgress();
