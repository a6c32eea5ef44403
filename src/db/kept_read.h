#pragma once
// One-row reads run again and again with other values (an upload reads each
// queued row so): each SQL text is prepared once on the connection and kept
// until the reader goes, and its values come straight from the engine.
#include "db/database.h"

#include <QHash>
#include <QStringView>
#include <functional>

namespace tessaly::db {

class KeptReads {
public:
    // The reader must go before c closes.
    explicit KeptReads(Connection &c) : m_c(c) {}
    ~KeptReads();
    KeptReads(const KeptReads &) = delete;
    KeptReads &operator=(const KeptReads &) = delete;

    // The first row of sql with params bound (as exec() binds them): each
    // column's position, name and value (a null as QVariant(), the rest as
    // QSqlQuery::value gives them) handed to `column`. *found false when there
    // is no row. False (and the connection's error()) on failure. The statement
    // is reset after the read: no read lock is kept between reads.
    bool first(const QString &sql, const QVariantList &params, bool *found,
               const std::function<void(int index, QStringView name, const QVariant &value)> &column);

private:
    Connection &m_c;
    QHash<QString, void *> m_statements;
};

} // namespace tessaly::db
