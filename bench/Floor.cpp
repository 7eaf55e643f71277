#include "Floor.h"

#include "core/Database.h"
#include "core/SqliteBackend.h"

#include <QElapsedTimer>
#include <sqlite3.h>
#include <stdexcept>
#include <unordered_map>
#include <vector>
#include <xlsxwriter.h>

namespace {
void check(int rc, sqlite3* db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(sqlite3_errmsg(db));
}

sqlite3_stmt* prepare(sqlite3* db, const QString& sql)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    check(sqlite3_prepare_v2(db, text.constData(), text.size(), &stmt, nullptr), db);
    return stmt;
}
} // namespace

Floor::Floor(const QString& databaseFile)
{
    check(sqlite3_open_v2(databaseFile.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr), m_db);
    check(sqlite3_exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr), m_db);
    registerSqlLen(m_db);
}

Floor::~Floor()
{
    sqlite3_close(m_db);
}

double Floor::query(const QString& sql)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt* stmt = prepare(m_db, sql);
    volatile size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            sqlite3_column_text(stmt, c);
            bytes += sqlite3_column_bytes(stmt, c);
        }
    sqlite3_finalize(stmt);
    return timer.nsecsElapsed() / 1e9;
}

double Floor::queryWithCounts(const QString& sql, const QString& countsSql)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt* stmt = prepare(m_db, sql);
    int roomColumn = -1;
    for (int c = 0; c < sqlite3_column_count(stmt); ++c)
        if (qstrcmp(sqlite3_column_name(stmt, c), "S_ID") == 0)
            roomColumn = c;
    volatile size_t bytes = 0;
    std::vector<sqlite3_int64> rooms;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            sqlite3_column_text(stmt, c);
            bytes += sqlite3_column_bytes(stmt, c);
        }
        rooms.push_back(sqlite3_column_int64(stmt, roomColumn));
    }
    sqlite3_finalize(stmt);
    // Every room's count in one statement, then a lookup per row.
    sqlite3_stmt* count = prepare(m_db, countsSql);
    std::unordered_map<sqlite3_int64, int> counts;
    while (sqlite3_step(count) == SQLITE_ROW)
        counts[sqlite3_column_int64(count, 0)] = sqlite3_column_int(count, 1);
    sqlite3_finalize(count);
    volatile int counted = 0;
    for (sqlite3_int64 room : rooms) {
        const auto it = counts.find(room);
        counted += it == counts.end() ? 0 : it->second;
    }
    return timer.nsecsElapsed() / 1e9;
}

double Floor::statements(const QStringList& sql)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString& s : sql) {
        sqlite3_stmt* stmt = prepare(m_db, s);
        check(sqlite3_step(stmt), m_db);
        sqlite3_finalize(stmt);
    }
    return timer.nsecsElapsed() / 1e9;
}

double Floor::workbook(const QString& path, const QList<QStringList>& cells, const QList<double>& widths)
{
    QElapsedTimer timer;
    timer.start();
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(path.toUtf8().constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "业主编号");
    auto font = [&](bool bold, double size, bool border, bool fill, lxw_format_alignments align) {
        lxw_format* f = workbook_add_format(book);
        format_set_font_name(f, "微软雅黑");
        if (size > 0)
            format_set_font_size(f, size);
        if (bold)
            format_set_bold(f);
        if (border)
            format_set_border(f, LXW_BORDER_THIN);
        if (fill)
            format_set_bg_color(f, 0xC0C0FF);
        if (align != LXW_ALIGN_NONE)
            format_set_align(f, align);
        return f;
    };
    lxw_format* title = font(true, 0, false, false, LXW_ALIGN_CENTER);
    lxw_format* info = font(false, 9, false, false, LXW_ALIGN_NONE);
    lxw_format* date = font(false, 9, false, false, LXW_ALIGN_RIGHT);
    lxw_format* header = font(false, 9, true, true, LXW_ALIGN_CENTER);
    lxw_format* cell = font(false, 9, true, false, LXW_ALIGN_NONE);
    const int n = widths.size();
    for (int c = 0; c < n; ++c)
        worksheet_set_column(sheet, c, c, widths[c], nullptr);
    worksheet_merge_range(sheet, 0, 0, 0, n - 1, "业主编号", title);
    worksheet_merge_range(sheet, 2, 0, 2, 3, " 管理处：14 澄岭花园管理处", info);
    worksheet_merge_range(sheet, 2, n - 4, 2, n - 1, "导出日期：2026-12-08 ", date);
    for (int c = 0; c < n; ++c)
        worksheet_write_string(sheet, 3, c, cells[0][c].toUtf8().constData(), header);
    for (int r = 1; r < cells.size(); ++r)
        for (int c = 0; c < n; ++c) {
            const QByteArray text = cells[r][c].toUtf8();
            if (c == 0)
                worksheet_write_number(sheet, r + 3, c, text.toDouble(), cell);
            else
                worksheet_write_string(sheet, r + 3, c, text.constData(), cell);
        }
    if (workbook_close(book) != LXW_NO_ERROR)
        throw std::runtime_error("workbook_close failed");
    return timer.nsecsElapsed() / 1e9;
}
