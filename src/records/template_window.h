#pragma once
// 计划模板 and 总结模板: the shared libraries of model texts for work plans
// (班主任 rows "J") and work summaries ("G"). The picker lists "模板内容 1" … "模板内容 n"
// in row order; the read-only editor shows the chosen template, whose text can
// be selected and copied into a plan or summary. Templates are added and revised
// through the two-mode editor; none is deleted and no sign-in is asked.
#include "kit/window_base.h"
#include "records/head_teacher_documents.h"

#include <QVector>
#include <QWidget>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tessaly {
namespace records {
class TwoModeEditor;
}

class TemplateWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    // The templates as read last, in picker order.
    const QVector<records::Document> &templates() const { return m_rows; }
    // The position of the current template in templates(); -1 when none.
    int currentTemplate() const { return m_current; }
    records::TwoModeEditor *editor() const { return m_editor; }

    QLabel *headingLabel = nullptr;           // title
    QLabel *usageNote = nullptr;           // usage
    QComboBox *templateCombo = nullptr;        // 模板内容 1 … n
    QPlainTextEdit *templateBox = nullptr;    // the template's text
    QPushButton *addButton = nullptr;
    QPushButton *editButton = nullptr;
    QPushButton *updateButton = nullptr;
    QPushButton *refreshButton = nullptr;
    QPushButton *closeButton = nullptr;

public slots:
    void Form_Load() override;
    void templateChosen();   // PickRecordByPosition

protected:
    // A template typed while adding or editing is settled first (two_mode_editor.h).
    bool mayClose() override;

    // What the two libraries differ in.
    struct Library {
        records::DocumentKind kind;     // PlanTemplate or SummaryTemplate
        const char16_t *name;           // window name and caption
        int widthTwips;
        int heightTwips;
        QString title;                  // headingLabel
        QString editWithoutRow;         // edit with no current template
    };
    TemplateWindow(const Library &library, WindowHost &host, QWidget *parent);

private:
    // Reads the library again and lists it; nothing is chosen afterwards.
    void loadTemplates();
    // Makes the template at that picker position current and shows it (-1: none).
    void pick(int position);

    Library m_library;
    records::TwoModeEditor *m_editor = nullptr;
    QVector<records::Document> m_rows;
    int m_current = -1;
};

class PlanTemplateWindow : public TemplateWindow {
    Q_OBJECT
public:
    explicit PlanTemplateWindow(WindowHost &host, QWidget *parent = nullptr);
};

class SummaryTemplateWindow : public TemplateWindow {
    Q_OBJECT
public:
    explicit SummaryTemplateWindow(WindowHost &host, QWidget *parent = nullptr);
};

} // namespace tessaly
