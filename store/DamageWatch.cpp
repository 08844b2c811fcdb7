// The engine's error log, watched for a damaged data file.
#include "store/DamageWatch.h"

#include <sqlite3.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>

namespace {

std::atomic<bool> g_damageSeen{false};

std::mutex& ToldMutex() {
    static std::mutex mutex;
    return mutex;
}

std::set<std::u16string>& Told() {
    static std::set<std::u16string> told;
    return told;
}

// Runs inside the engine, on whatever thread met the error: it only notes.
void OnEngineLog(void*, int code, const char*) {
    int primary = code & 0xFF;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) g_damageSeen.store(true);
}

} // namespace

bool InstallDamageWatch() {
    sqlite3_shutdown();
    bool installed = sqlite3_config(SQLITE_CONFIG_LOG, OnEngineLog, nullptr) == SQLITE_OK;
    return sqlite3_initialize() == SQLITE_OK && installed;
}

bool TakeDamageNote() {
    return g_damageSeen.exchange(false);
}

void MarkDamageTold(std::u16string_view dataFile) {
    std::lock_guard<std::mutex> lock(ToldMutex());
    Told().insert(std::u16string(dataFile));
}

bool TellDamageOnce(WindowHandle owner, std::u16string_view dataFile) {
    if (!TakeDamageNote()) return false;
    {
        std::lock_guard<std::mutex> lock(ToldMutex());
        if (!Told().insert(std::u16string(dataFile)).second) return false;
    }
    ShowMessage(owner,
                u"データファイル '" + std::u16string(dataFile) + u"' が破損しています。\n" +
                    u"読めないアクションは flotsam で取り出せる可能性があります。",
                u"データファイル破損", MB_OK | MB_ICONEXCLAMATION);
    return true;
}
