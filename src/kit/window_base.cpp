#include "kit/window_base.h"

namespace tessaly {

db::Connection &FormWindow::connection()
{
    if (m_connection.ok() && !m_connection.isCurrentFile())
        m_connection.close();
    if (!m_connection.ok())
        m_connection.open(m_databasePath);
    return m_connection;
}

} // namespace tessaly
