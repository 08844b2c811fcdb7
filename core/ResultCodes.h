// Result codes shared by every subsystem. Functions return 0 on success, small
// negative numbers for the failing step of their own, or these HRESULT-style codes
// for database work (negative = failure; end-of-rowset is an expected outcome).
#pragma once

#include <cstdint>

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
// A rowset was read to its end: no more rows, not a failure.
inline constexpr HRESULT DB_S_ENDOFROWSET = 0x00040EC6;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
// A seek by key found no row.
inline constexpr HRESULT DB_E_NOTFOUND = static_cast<HRESULT>(0x80040E19u);
// Base of the codes that carry an SQLite primary result code in their low byte.
inline constexpr HRESULT HR_SQLITE_BASE = static_cast<HRESULT>(0x80041000u);

inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Maps an SQLite result code to its HRESULT: 0x80041000 + the primary code, so
// "hr=%x" in a message names the engine's failure. SQLITE_OK maps to S_OK.
inline constexpr HRESULT HResultFromSqlite(int rc) {
    if (rc == 0) return S_OK;
    return static_cast<HRESULT>(static_cast<std::uint32_t>(HR_SQLITE_BASE) + static_cast<std::uint32_t>(rc & 0xff));
}
