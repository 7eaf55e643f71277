#pragma once

#include "core/Database.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The owners among `ownerIds` (ZH_ID cells) who hold a number now, with that number, by owner id
// as the statements write it: one read-only request per 1,000 owners.
QHash<QString, QString> currentNumbersOf(Connection& conn, const QStringList& ownerIds);

// The characters of a number that the database's code page cannot hold (empty: it can).
QString charactersLost(const QString& number, int codePage);

// What a run of save or clear statements did to each grid row it wrote.
struct WriteOutcome
{
    int written = 0;     // rows whose statement changed an owner
    QList<int> notFound; // grid rows whose statement changed no owner
    QList<int> several;  // grid rows whose ZH_ID names more than one owner
    int unsent = 0;      // statements never sent: the user stopped the run

    // Counts statement `row`'s result: `changed` owners (-1: the driver did not say).
    void count(int row, qint64 changed);
    bool asExpected() const { return notFound.isEmpty() && several.isEmpty(); }
};

// "已写入 n 行；m 位业主未找到（已被删除？）；k 个 ZH_ID 对应多位业主；其余 u 行已取消，没有写入":
// the parts that apply.
QString writeOutcomeText(const WriteOutcome& outcome);
