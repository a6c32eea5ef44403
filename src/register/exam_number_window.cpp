#include "register/exam_number_window.h"

#include "kit/form_layout.h"
#include "kit/selection.h"
#include "kit/window_steps.h"
#include "widgets/data_control.h"
#include "school/class_code.h"
#include "school/class_members.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessaly {

ExamNumberWindow::ExamNumberWindow(WindowHost &host, QWidget *parent) : QDialog(parent), FormWindow(host)
{
    setObjectName(QStringLiteral("打印考号"));
    setWindowTitle(QStringLiteral("打印考号"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    gradeGroupCombo = named(new QComboBox(this), "Combo1");
    classCombo = named(new QComboBox(this), "Combo2");
    fitDropDown(gradeGroupCombo);
    fitDropDown(classCombo);
    printNameCheck = named(new QCheckBox(QStringLiteral("打印姓名"), this), "Check1");
    lastFourCheck = named(new QCheckBox(QStringLiteral("打印学籍后四位"), this), "Check2");
    printNameCheck->setChecked(true);
    lastFourCheck->setChecked(true);

    QGridLayout *form = captionedGrid(
        this, {{QStringLiteral("选年级组:"), gradeGroupCombo}, {QStringLiteral("选 班 级:"), classCombo}}, &captionLabels,
        QStringLiteral("lblLabels"));
    form->setHorizontalSpacing(10);
    // Room for a grade-group name beside the drop-down arrow.
    for (QComboBox *box : {gradeGroupCombo, classCombo}) {
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("初一年级组初一")));
    }
    form->addWidget(printNameCheck, 2, 1);
    form->addWidget(lastFourCheck, 3, 1);

    const QString buttonTexts[] = {QStringLiteral("确定"), QStringLiteral("取消")};
    for (int i = 0; i < 2; ++i) {
        auto *b = named(new QPushButton(buttonTexts[i], this), "Command1");
        b->setAutoDefault(false);
        buttons.append(b);
        connect(b, &QPushButton::clicked, this, [this, i] { buttonClicked(i); });
    }
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(14);
    layout->addLayout(form);
    layout->addLayout(buttonRow(buttons));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(gradeGroupCombo, &QComboBox::activated, this, &ExamNumberWindow::gradeGroupChosen);
    connect(classCombo, &QComboBox::activated, this, &ExamNumberWindow::classChosen);
    m_choice = std::make_unique<ClassChoice>(
        ClassChoice::Steps{.gradeGroup = gradeGroupCombo, .klass = classCombo, .classes = ClassVariant::NamesOnly}, *this, this);
}

void ExamNumberWindow::Form_Load()
{
    // A dialog of its own: it opens over the main window, not at the screen's corner.
    adjustSize();
    CentreOnMainWindow(this, host().hostWidget(), 0);
    m_choice->loadGradeGroups();
}

void ExamNumberWindow::gradeGroupChosen()
{
    m_choice->chooseGradeGroup();
    m_chosen = false;
    m_students.clear();
}

void ExamNumberWindow::classChosen()
{
    if (!m_choice->chooseClass(classCombo->currentIndex()))
        return;
    m_gradeGroup = gradeGroupCombo->currentText();
    m_className = classCombo->currentText();
    const school::ClassIdentity identity = school::ResolveClassCode(m_gradeGroup, m_className, session().today());
    m_classCode = identity.classCode;
    m_students =
        reg::examNumberStudents(loadClassMembers(connection(), identity, reg::kExamNumberColumns, this).rows);
    m_chosen = true;
}

void ExamNumberWindow::buttonClicked(int index)
{
    if (index == 0)
        PrintExamNumbers();
    else
        reject();
}

void ExamNumberWindow::PrintExamNumbers()
{
    // Nothing to print without a class or for an empty class: the window stays.
    if (!m_chosen || m_students.isEmpty())
        return;
    const QString page = reg::examNumberPage(m_gradeGroup, m_className, m_classCode, m_students,
                                             {printNameCheck->isChecked(), lastFourCheck->isChecked()});
    WindowHost &h = host();
    accept();
    h.handToPrintPage(page);
}

} // namespace tessaly
