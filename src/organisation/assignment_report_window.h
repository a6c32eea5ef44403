#pragma once
// What 班主任分工 and 任课教师分工 share: a heading, the report in an editable
// text box built once when the window loads, "打印(&P)" handing the box's current
// text to the print page and "关闭(&C)". Each window names its caption, heading,
// report and what its print hand-off puts before the text. Nothing is written.
#include "kit/window_base.h"
#include "organisation/assignment_report.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tessaly::db {
class Connection;
}

namespace tessaly {

class AssignmentReportWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    QLabel *headingLabel = nullptr;          // the heading
    QPlainTextEdit *reportBox = nullptr;   // the report, editable
    QPushButton *printButton = nullptr;   // 打印(&P)
    QPushButton *closeButton = nullptr;   // 关闭(&C)

public slots:
    void Form_Load() override;
    void printClicked();
    void closeClicked();

protected:
    struct Design {
        QString caption;
        QString heading;
        bool boldHeading;
        organisation::AssignmentReport (*build)(db::Connection &);
        QString printPrefix;   // put before the box's text in the print hand-off
    };
    AssignmentReportWindow(WindowHost &host, QWidget *parent, const Design &design);

private:
    Design m_design;
};

} // namespace tessaly
