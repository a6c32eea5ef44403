#include "kit/window_base.h"

#include <QCloseEvent>
#include <QWidget>

namespace tessaly {

namespace {

// Sees a window's close events before the window does: a close its form
// refuses is ignored and goes no further.
class CloseQuestion : public QObject {
public:
    CloseQuestion(QWidget &window, FormWindow &form) : QObject(&window), m_form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Close || watched != parent() || m_form.mayClose())
            return false;
        event->ignore();
        return true;
    }

private:
    FormWindow &m_form;
};

} // namespace

void FormWindow::askBeforeClosing(QWidget &self)
{
    self.installEventFilter(new CloseQuestion(self, *this));
}

db::Connection &FormWindow::connection()
{
    if (m_connection.ok() && !m_connection.isCurrentFile())
        m_connection.close();
    if (!m_connection.ok())
        m_connection.open(m_databasePath);
    return m_connection;
}

} // namespace tessaly
