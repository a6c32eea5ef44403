#pragma once
// 学生操行评定: the head teacher writes each student's conduct evaluation of a
// half year into the evaluation column of the class's section table
// (evaluation_columns.h), student by student, typed or assembled from the
// phrase panel, and prints the class's texts through the print page.
#include "kit/window_base.h"
#include "records/class_context.h"

#include <QHash>
#include <QStringList>
#include <QVector>
#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace tessaly {
class DataControl;
class FlexGrid;
namespace records {
class PhrasePanel;
}

class ConductWindow : public QWidget, public FormWindow {
    Q_OBJECT
public:
    explicit ConductWindow(WindowHost &host, QWidget *parent = nullptr);

    // One student of the class as read: the evaluation texts by column.
    struct Student {
        qint64 id = 0;
        QString number;   // 学籍号
        QString name;
        QString sex;
        QString nation;
        QHash<QString, QString> texts;
    };
    const QVector<Student> &students() const { return m_students; }
    // The raw column names of Combo4's items.
    const QStringList &evaluationColumns() const { return m_columns; }
    records::ClassContext *context() const { return m_context; }
    // Whether the panels are shown (they lie over the student grid).
    bool isCreationPanelShown() const;
    bool isPhrasePanelShown() const;

    QWidget *Frame3 = nullptr;            // everything but the panels
    QComboBox *Combo1 = nullptr;          // grade group
    QComboBox *Combo2 = nullptr;          // class
    QComboBox *Combo4 = nullptr;          // evaluations of the class
    QLabel *Label3 = nullptr;
    FlexGrid *Grid1 = nullptr;
    DataControl *Data3 = nullptr;         // the students: the navigator
    QLineEdit *Text1 = nullptr;           // 学籍号
    QLineEdit *Text2 = nullptr;           // 姓名
    QPlainTextEdit *Text3 = nullptr;      // the evaluation text
    QPushButton *Command6 = nullptr;      // 保存
    QPushButton *Command4 = nullptr;      // 创建评定
    QPushButton *Command10 = nullptr;     // sign-in toggle
    QPushButton *Command2 = nullptr;      // 打印
    QPushButton *Command7 = nullptr;      // 打开模板
    QPushButton *cmdClose = nullptr;
    QFrame *creationPanel = nullptr;
    QLineEdit *Text5 = nullptr;           // display name of the proposed evaluation
    QLineEdit *Text6 = nullptr;           // its column name (hidden)
    QPushButton *Command1 = nullptr;      // 创建评定(&M)
    QPushButton *Command5 = nullptr;      // 取消创建
    records::PhrasePanel *Frame1 = nullptr;
    QPushButton *Command3 = nullptr;      // 关闭模板

public slots:
    void Form_Load() override;
    void Combo4_Click();
    void ShowStudentEvaluation();
    void ProposeEvaluationColumn();   // Command4
    void CreateEvaluationColumn();    // Command1
    // False when refused or failed (the user has been told).
    bool SaveEvaluation();            // Command6
    void AppendPhrase(const QString &phrase);
    void PrintEvaluations();          // Command2
    void OpenPhrasePanel();           // Command7
    void ClosePhrasePanel();          // Command3

public:
    // An unsaved phrase or evaluation text is asked about first, with Cancel to stay.
    bool mayClose() override;

private:
    QVector<QVector<QVariant>> openClassMembers();
    // Whether the evaluation text differs from the one shown for the student.
    bool hasUnsavedEvaluation() const;
    // Before the shown text gives way (another student, evaluation, class or
    // grade group, a new evaluation, closing): Yes saves it, No restores the
    // shown text, Cancel stays. True when the step may go on.
    bool settleEvaluation();
    void gradeGroupChosen();
    void classChosen();
    // The class's students, student grid and evaluation list read again.
    void reloadClass();
    void loadStudents();
    void setStudentHeader();
    // Rows 1 … n of the grid: number, shown student number and name of each student.
    void fillStudentRows();
    void LoadClassGrid();
    void ListEvaluationColumns();
    void LoadEvaluationGrid();
    void showPanels();
    int currentStudent() const;
    QString chosenColumn() const;

    records::ClassContext *m_context = nullptr;
    QStackedWidget *m_lower = nullptr;
    QWidget *m_phrasePage = nullptr;
    QVector<Student> m_students;
    QStringList m_columns;
    int m_column = -1;         // the chosen evaluation's position in m_columns
    QString m_shownText;       // the text shown for the current student, as stored
    bool m_creationShown = false;
    bool m_phraseShown = false;
};

} // namespace tessaly
