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
    // The raw column names of evaluationCombo's items.
    const QStringList &evaluationColumns() const { return m_columns; }
    records::ClassContext *context() const { return m_context; }
    // Whether the panels are shown (they lie over the student grid).
    bool isCreationPanelShown() const;
    bool isPhrasePanelShown() const;

    QWidget *mainPanel = nullptr;            // everything but the panels
    QComboBox *gradeGroupCombo = nullptr;          // grade group
    QComboBox *classCombo = nullptr;          // class
    QComboBox *evaluationCombo = nullptr;          // evaluations of the class
    QLabel *gridHeading = nullptr;
    FlexGrid *studentGrid = nullptr;
    DataControl *studentData = nullptr;         // the students: the navigator
    QLineEdit *studentNumberBox = nullptr;           // 学籍号
    QLineEdit *studentNameBox = nullptr;           // 姓名
    QPlainTextEdit *evaluationBox = nullptr;      // the evaluation text
    QPushButton *saveButton = nullptr;      // 保存
    QPushButton *createButton = nullptr;      // 创建评定
    QPushButton *signInButton = nullptr;     // sign-in toggle
    QPushButton *printButton = nullptr;      // 打印
    QPushButton *openPhrasesButton = nullptr;      // 打开模板
    QPushButton *closeButton = nullptr;
    QFrame *creationPanel = nullptr;
    QLineEdit *newEvaluationBox = nullptr;           // display name of the proposed evaluation
    QLineEdit *newColumnBox = nullptr;           // its column name (hidden)
    QPushButton *confirmCreateButton = nullptr;      // 创建评定(&M)
    QPushButton *cancelCreateButton = nullptr;      // 取消创建
    records::PhrasePanel *phrasesFrame = nullptr;
    QPushButton *closePhrasesButton = nullptr;      // 关闭模板

public slots:
    void Form_Load() override;
    void evaluationChosen();
    void ShowStudentEvaluation();
    void ProposeEvaluationColumn();   // createButton
    void CreateEvaluationColumn();    // confirmCreateButton
    // False when refused or failed (the user has been told).
    bool SaveEvaluation();            // saveButton
    void AppendPhrase(const QString &phrase);
    void PrintEvaluations();          // printButton
    void OpenPhrasePanel();           // openPhrasesButton
    void ClosePhrasePanel();          // closePhrasesButton

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
