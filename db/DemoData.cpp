#include "DemoData.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <stdexcept>

static void initResources()
{
    Q_INIT_RESOURCE(db);
}

namespace DemoData {
namespace {

[[noreturn]] void fail(const QString& what, const QSqlError& error)
{
    throw std::runtime_error((what + QStringLiteral(": ") + error.text()).toStdString());
}

// Deterministic pseudo-random numbers, so the demo database is the same on every machine.
class Lcg
{
public:
    explicit Lcg(quint32 seed) : m_state(seed) {}
    int next(int bound)
    {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<int>((m_state >> 8) % static_cast<quint32>(bound));
    }

private:
    quint32 m_state;
};

QVariant text(const char* s)
{
    return s ? QVariant(QString::fromUtf8(s)) : QVariant(QMetaType(QMetaType::QString));
}

class Writer
{
public:
    explicit Writer(const QString& file) : m_name(QStringLiteral("demodata-") + file)
    {
        QFile::remove(file);
        QFile::remove(file + QStringLiteral("-wal"));
        QFile::remove(file + QStringLiteral("-shm"));
        m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        m_db.setDatabaseName(file);
        if (!m_db.open())
            fail(QStringLiteral("打开 ") + file, m_db.lastError());
        for (const QString& statement : sqliteSchema())
            exec(statement);
        m_db.transaction();
        m_office = prepare("Insert Into 设置管理处 (GYD_DH, GYD_Name, 商用物业) Values (?, ?, ?)");
        m_building = prepare("Insert Into 楼表 (L_ID, 管理处, 地址1, 字1, 地址2, 字2, 地址3, 字3, 地址4, 字4) "
                             "Values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        m_room = prepare("Insert Into 室表 (S_ID, L_ID, 室, 字) Values (?, ?, ?, ?)");
        m_owner = prepare("Insert Into 业主表 (ZH_ID, S_ID, 姓名, 进户日期, 说明, 业主编号) Values (?, ?, ?, ?, ?, ?)");
    }
    ~Writer()
    {
        m_office.finish();
        m_building.finish();
        m_room.finish();
        m_owner.finish();
        m_office = QSqlQuery();
        m_building = QSqlQuery();
        m_room = QSqlQuery();
        m_owner = QSqlQuery();
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }

    void exec(const QString& sql)
    {
        QSqlQuery q(m_db);
        if (!q.exec(sql))
            fail(sql, q.lastError());
    }
    void commit()
    {
        if (!m_db.commit())
            fail(QStringLiteral("commit"), m_db.lastError());
    }

    void office(const char* code, const char* name, int kind) { run(m_office, {text(code), text(name), kind}); }
    int building(const char* office, const char* a1, const char* w1, const char* a2, const char* w2,
                 const char* a3 = nullptr, const char* w3 = nullptr, const char* a4 = nullptr, const char* w4 = nullptr)
    {
        run(m_building, {++m_lastBuilding, text(office), text(a1), text(w1), text(a2), text(w2), text(a3), text(w3),
                         text(a4), text(w4)});
        return m_lastBuilding;
    }
    int room(int building, const QString& number, const char* word)
    {
        run(m_room, {++m_lastRoom, building, number, text(word)});
        return m_lastRoom;
    }
    void owner(int room, const QString& name, const QString& date, const char* status, const QVariant& number)
    {
        run(m_owner, {++m_lastOwner, room, name, date, text(status), number});
    }

private:
    QSqlQuery prepare(const char* sql)
    {
        QSqlQuery q(m_db);
        if (!q.prepare(QString::fromUtf8(sql)))
            fail(QString::fromUtf8(sql), q.lastError());
        return q;
    }
    void run(QSqlQuery& q, const QVariantList& values)
    {
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values[i]);
        if (!q.exec())
            fail(q.lastQuery(), q.lastError());
    }

    QString m_name;
    QSqlDatabase m_db;
    QSqlQuery m_office, m_building, m_room, m_owner;
    int m_lastBuilding = 0, m_lastRoom = 0, m_lastOwner = 0;
};

const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                 "徐", "孙", "马", "朱", "胡", "郭", "何", "林", "罗", "高"};
const char* const kGivenNames[] = {"伟", "芳", "娜", "秀英", "敏", "静", "丽", "强", "磊",   "军",
                                   "洋", "勇", "艳", "杰",   "娟", "涛", "明", "超", "秀兰", "霞"};

QString personName(Lcg& rng)
{
    return QString::fromUtf8(kSurnames[rng.next(20)]) + QString::fromUtf8(kGivenNames[rng.next(20)]);
}

QString date(Lcg& rng, int fromYear, int toYear)
{
    return QStringLiteral("%1-%2-%3")
        .arg(fromYear + rng.next(toYear - fromYear + 1))
        .arg(1 + rng.next(12), 2, 10, QLatin1Char('0'))
        .arg(1 + rng.next(28), 2, 10, QLatin1Char('0'));
}

// Owners of one room: earlier owners who moved out, then (usually) the current new owner.
void people(Writer& w, Lcg& rng, int room, int movedOut, bool current, const QVariant& number)
{
    for (int i = 0; i < movedOut; ++i)
        w.owner(room, personName(rng), date(rng, 2005, 2015), "迁出", QVariant(QMetaType(QMetaType::QString)));
    if (current)
        w.owner(room, personName(rng), date(rng, 2016, 2026), "新进户", number);
}

void rooms(Writer& w, Lcg& rng, int building, int floors, int perFloor, const char* word, int savedEvery = 0,
           const QString& savedPrefix = {})
{
    for (int f = 1; f <= floors; ++f)
        for (int k = 1; k <= perFloor; ++k) {
            const QString number = QString::number(f * 100 + k);
            const int room = w.room(building, number, word);
            const int roll = rng.next(100);
            const bool current = roll >= 6; // a few rooms are empty
            const int movedOut = roll >= 80 ? 1 + rng.next(3) : 0;
            QVariant saved(QMetaType(QMetaType::QString));
            if (savedEvery > 0 && current && (room % savedEvery) != 0)
                saved = savedPrefix + number.rightJustified(4, u'0') + QChar(u'A' + movedOut);
            people(w, rng, room, movedOut, current, saved);
        }
}

} // namespace

QStringList sqliteSchema()
{
    initResources();
    QFile f(QStringLiteral(":/db/sqlite.sql"));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("schema resource missing");
    QStringList statements;
    QString current;
    for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n')) {
        if (line.trimmed().startsWith(QStringLiteral("--")))
            continue;
        current += line + u'\n';
        if (line.trimmed().endsWith(u';')) {
            statements << current.trimmed();
            current.clear();
        }
    }
    return statements;
}

void createEmptyDatabase(const QString& file)
{
    Writer w(file);
    w.commit();
}

void createDemoDatabase(const QString& file)
{
    Writer w(file);
    Lcg rng(20261208);

    w.office("14", "澄岭花园管理处", 0);
    w.office("15", "澄岭雅苑管理处", 0);
    w.office("16", "澄岭商业中心管理处", 2);
    w.office("17", "澄岭写字楼管理处", 1); // commercial: not offered
    w.office("18", "澄岭新村管理处", 0);
    w.office("24", "澄岭华庭管理处", 0);
    w.office("30", "澄岭外包项目部", 0); // not among the offered codes

    // 澄岭花园: every kind of building text the owner-number rule knows.
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "1", "幢", "1", "单元"), 6, 2, "室");
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "1", "幢", "2", "单元"), 6, 2, "室");
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "2", "幢", "1", "单元"), 6, 2, nullptr);
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "3幢", nullptr, "1", "单元"), 6, 2, "室");
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "10", "幢", nullptr, nullptr), 12, 2, "室");
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "12栋", nullptr, "2", "单元"), 6, 2, "室");
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "12", "号楼", "1", "单元"), 5, 2, "室");
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "A", "座", "1", "单元"), 5, 2, "室");
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "B2", "座", "1", "单元"), 5, 2, "室");
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "12号", nullptr, "1", "单元"), 4, 2, "室");
    rooms(w, rng, w.building("14", "澄岭花园会所", nullptr, nullptr, nullptr, nullptr, nullptr), 1, 3, "室");
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "0", "号", nullptr, nullptr), 2, 2, "室");
    rooms(w, rng, w.building("14", "澄岭花园", nullptr, "5", "幢", "1", "单元", "东", "侧"), 4, 2, "室");

    // 澄岭雅苑: most numbers already saved.
    for (int b = 1; b <= 6; ++b) {
        const QByteArray number = QByteArray::number(b);
        const int id = w.building("15", "澄岭雅苑", nullptr, number.constData(), "栋", "1", "单元");
        rooms(w, rng, id, 8, 3, "室", 5, QStringLiteral("15A%1").arg(b, 3, 10, QLatin1Char('0')) + u'1');
    }
    for (int b = 1; b <= 3; ++b) {
        const QByteArray number = QByteArray::number(b);
        rooms(w, rng, w.building("16", "澄岭商业中心", nullptr, number.constData(), "号楼", nullptr, nullptr), 4, 6,
              "室");
    }
    rooms(w, rng, w.building("17", "澄岭大厦", nullptr, "1", "幢", nullptr, nullptr), 10, 4, "室");
    for (int b = 1; b <= 4; ++b) {
        const QByteArray number = QByteArray::number(b);
        rooms(w, rng, w.building("18", "澄岭新村", nullptr, number.constData(), "幢", "1", "单元"), 5, 4, "室");
    }
    for (int b = 1; b <= 3; ++b) {
        const QByteArray number = QByteArray::number(b);
        rooms(w, rng, w.building("24", "澄岭华庭", nullptr, number.constData(), "幢", "1", "单元"), 18, 2, "室");
    }
    rooms(w, rng, w.building("30", "外包小区", nullptr, "1", "幢", nullptr, nullptr), 3, 2, "室");

    w.exec(QStringLiteral("Insert Into SystemSetup (Code, Value) Values ('银行扣款方式', '按季,1,4,7,10')"));
    w.exec(QStringLiteral("Insert Into 岗位权限设置 (id, 组代号, 岗位代号, 授权) Values (1, 'G1', 'ADMIN', 1)"));
    w.exec(QStringLiteral("Insert Into GroupPrivilege (GroupID, FormName, Popedom, Memo) Values "
                          "('G1', '业主编号管理', 1, '配置'), ('G1', '银行扣款方式设置', 1, '配置')"));
    w.commit();
}

void createBenchmarkDatabase(const QString& file, int roomCount)
{
    Writer w(file);
    Lcg rng(14);
    w.office("14", "澄岭花园管理处", 0);
    int building = 0;
    for (int i = 0; i < roomCount; ++i) {
        if (i % 100 == 0) {
            const QByteArray number = QByteArray::number(i / 100 + 1);
            building = w.building("14", "澄岭花园", nullptr, number.constData(), "幢", "1", "单元");
        }
        const int floor = (i % 100) / 10 + 1;
        const int room = w.room(building, QString::number(floor * 100 + i % 10 + 1), "室");
        const int movedOut = i % 4 == 0 ? 1 + (i / 4) % 2 : 0;
        people(w, rng, room, movedOut, true, QVariant(QMetaType(QMetaType::QString)));
    }
    w.exec(QStringLiteral("Insert Into SystemSetup (Code, Value) Values ('银行扣款方式', '按月')"));
    w.commit();
}

} // namespace DemoData
