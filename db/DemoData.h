#pragma once

#include <QString>
#include <QStringList>

namespace DemoData {

// The statements of db/sqlite.sql, one per entry.
QStringList sqliteSchema();

// Creates a new SQLite file with the tables (an existing file is replaced). Throws std::runtime_error.
void createEmptyDatabase(const QString& file);

// The demo database: several offices, buildings covering the owner-number cases, a few
// hundred rooms, owners with move-out histories, some numbers already saved.
void createDemoDatabase(const QString& file);

// One office (code 14) of `rooms` rooms in buildings of 100, every room with a new owner,
// every fourth with earlier owners who moved out.
void createBenchmarkDatabase(const QString& file, int rooms);

} // namespace DemoData
