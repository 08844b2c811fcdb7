// Queries on a table object: prepare, bind parameters, read rows as texts.
#include "store/TableBase.h"

#include "core/Utf.h"
#include "store/SqlText.h"

#include <sqlite3.h>

TableBase::TableBase(sqlite3* db, std::string tableName, std::string indexName)
    : db_(db), tableName_(std::move(tableName)), indexName_(std::move(indexName)) {}

TableBase::~TableBase() {
    CloseQuery();
    for (auto& [sql, stmt] : cached_)
        sqlite3_finalize(stmt);
}

ColumnKind TableBase::KindOf(std::string_view name) {
    if (name.starts_with("f_i4")) return ColumnKind::Int;
    if (name.starts_with("f_flt")) return ColumnKind::Float;
    if (name.starts_with("f_dt")) return ColumnKind::Timestamp;
    return ColumnKind::Text;
}

sqlite3_stmt* TableBase::Cached(const char* sql, HRESULT& hr) {
    for (auto& [text, stmt] : cached_) {
        if (text == sql) {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
            hr = S_OK;
            return stmt;
        }
    }
    sqlite3_stmt* stmt = nullptr;
    hr = HResultFromSqlite(sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr));
    if (FAILED(hr)) return nullptr;
    cached_.emplace_back(sql, stmt);
    return stmt;
}

HRESULT TableBase::OpenQuery(std::u16string_view commandText, const std::vector<std::string>& columnNames,
                             const std::vector<OptText>& parameters) {
    CloseQuery();
    std::string sql = ToUtf8(commandText);
    sqlite3_stmt* stmt = nullptr;
    HRESULT hr = HResultFromSqlite(sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr));
    if (FAILED(hr)) return hr;
    hr = BindTexts(stmt, parameters);
    if (FAILED(hr)) {
        sqlite3_finalize(stmt);
        return hr;
    }
    std::vector<int> columns;
    std::vector<ColumnKind> kinds;
    int available = sqlite3_column_count(stmt);
    for (const std::string& name : columnNames) {
        int found = -1;
        for (int i = 0; i < available && found < 0; ++i) {
            if (sqlite3_stricmp(sqlite3_column_name(stmt, i), name.c_str()) == 0) found = i;
        }
        if (found < 0) {
            sqlite3_finalize(stmt);
            return E_FAIL;
        }
        columns.push_back(found);
        kinds.push_back(KindOf(name));
    }
    query_ = stmt;
    boundColumns_ = std::move(columns);
    boundKinds_ = std::move(kinds);
    queryText_ = std::move(sql);
    queryParameters_ = parameters;
    rowCount_ = -1;
    atEnd_ = false;
    return S_OK;
}

long long TableBase::QueryRowCount() {
    if (!query_) return 0;
    if (rowCount_ >= 0) return rowCount_;
    std::string sql = "select count(*) from (" + queryText_ + ")";
    sqlite3_stmt* stmt = nullptr;
    rowCount_ = 0;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
        SUCCEEDED(BindTexts(stmt, queryParameters_)) && sqlite3_step(stmt) == SQLITE_ROW) {
        rowCount_ = sqlite3_column_int64(stmt, 0);
    }
    sqlite3_finalize(stmt);
    return rowCount_;
}

HRESULT TableBase::ReadNextRow(std::vector<OptText>& texts) {
    if (!query_) return E_FAIL;
    if (atEnd_) return DB_S_ENDOFROWSET;
    int rc = sqlite3_step(query_);
    if (rc == SQLITE_DONE) {
        atEnd_ = true;
        return DB_S_ENDOFROWSET;
    }
    if (rc != SQLITE_ROW) return HResultFromSqlite(rc);
    texts.assign(boundColumns_.size(), std::nullopt);
    for (size_t i = 0; i < boundColumns_.size(); ++i) {
        texts[i] = ColumnText(query_, boundColumns_[i], boundKinds_[i]);
    }
    return S_OK;
}

HRESULT TableBase::RestartQuery() {
    if (!query_) return E_FAIL;
    sqlite3_reset(query_);
    atEnd_ = false;
    return S_OK;
}

void TableBase::CloseQuery() {
    if (query_) sqlite3_finalize(query_);
    query_ = nullptr;
    boundColumns_.clear();
    boundKinds_.clear();
    queryText_.clear();
    queryParameters_.clear();
    rowCount_ = 0;
    atEnd_ = false;
}
