// Helpers of the fault tests: digests of files and folders, a child process that runs
// one operation (under a file-size limit or with a read-only folder when asked) and
// reports its result code and messages, and the counts of the run's summary.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

// A digest of a file's bytes ("<missing>" when there is none, "<folder>" for a folder).
std::string FileDigest(const std::string& path);
// Every entry of a folder (not recursive) with its digest.
std::map<std::string, std::string> FolderDigests(const std::string& folder);

struct ChildMessage {
    std::string text, caption; // UTF-8
    unsigned flags = 0;
};

struct ChildReport {
    bool finished = false; // exited on its own (no crash, no hang)
    bool hung = false;     // killed after the time-out
    int status = 0;        // wait status
    int code = 0;          // what the body returned
    std::vector<ChildMessage> messages;
    // The messages in one line each, for failure output.
    std::string Describe() const;
    bool Told() const { return !messages.empty(); }
    // Some message carries the stop or exclamation icon (a failure or refusal).
    bool ToldFailure() const;
};

// Runs body in a forked child whose questions are all answered Yes; the child reports
// the body's result and every message shown. A child still running after timeout is
// killed and reported as hung.
ChildReport RunInChild(const std::function<int()>& body, std::chrono::seconds timeout = std::chrono::seconds(30));

// In a child: files may not grow beyond bytes (SIGXFSZ ignored, so writes fail with EFBIG
// as on a full disk).
void LimitFileSize(long long bytes);
// In a child: makes folder unwritable even for root (a read-only bind mount in a mount
// namespace of its own; chmod 0555 otherwise). False when writes there still succeed.
bool MakeFolderUnwritable(const std::string& folder);
// Whether MakeFolderUnwritable can work here (tried in a throwaway child).
bool UnwritableFoldersAvailable();

// The run's summary, printed at the end of the program: kills survived, fault cases
// tried, rows lost.
void CountKill();
void CountFaultCase();
void CountRowsLost(long long rows);
