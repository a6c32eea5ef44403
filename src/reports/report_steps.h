#pragma once
// What the report windows (打印成绩单, 打印成绩报表) share of their look: the left
// panel with the four steps (grade group or class, comparable classes, exam,
// subjects) and their captions, the lists of several choices with a tick box on
// each item, the normal view that the paper preview replaces, and the zoom choices.
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tessaly {
class ClassTree;
}

namespace tessaly::reports {
class PaperPreview;
}

namespace tessaly::reports {

// The window's own captions of steps ②, its note, ③ and the subject count.
struct StepCaptions {
    QString classes;
    QString note;
    QString exams;
    QString count;
};

// The controls of the steps, named as the windows' design names them.
struct ReportSteps {
    QList<QLabel *> captionLabels;   // 0, 1, 2, 5, 6 and 11 are set
    ClassTree *groupTree = nullptr;
    QListWidget *classList = nullptr;
    QComboBox *examCombo = nullptr;
    QListWidget *subjectList = nullptr;
};

// Builds the steps into `frame`, under `heading` when there is one and over the
// buttons, in one row. The panel is as wide as its longest caption; the note
// wraps in a smaller type.
ReportSteps buildReportSteps(QGroupBox *frame, const StepCaptions &captions, QLabel *heading,
                             const QList<QPushButton *> &buttons);

// Lays the window out: the steps and the grid side by side, the banner above
// them (or below), as the normal view; the preview takes its place while shown.
void assembleReportView(QWidget *window, QWidget *steps, QWidget *grid, QWidget *banner, bool bannerOnTop,
                        PaperPreview *preview);

// The zoom choices zoomOptions(0 … 2), 缩小, 正常 (chosen) and 放大, in a group
// Frame4 of `parent`. The caption "表格内字体宽度设置：" is the group's title, or,
// given a label name, a label of that name in the group before the choices.
QGroupBox *addZoomOptions(QWidget *parent, QList<QRadioButton *> &options, const char *captionLabel = nullptr);
// The font, narrowed as little as needed for `text` to take at most `room`
// pixels: condensed down to kLeastFontStretch first, then smaller down to
// kLeastFontShare of its size. The font itself when the text fits; the
// narrowest of these when nothing does.
inline constexpr int kLeastFontStretch = 50;
inline constexpr double kLeastFontShare = 0.6;
QFont fittedFont(const QFont &font, const QString &text, int room);
// The index of the chosen zoom option; 1 (正常) when none is chosen.
int chosenZoom(const QList<QRadioButton *> &options);
// The grid's font at its size at 正常 scaled for the zoom option, as its font width follows the zoom.
void applyZoomFont(QWidget *grid, double normalPointSize, int zoomOption);

// Shows the options panel over the middle of its window, above the preview.
void showOptionsPanel(QWidget *panel);

// A list named `name` whose items are chosen by their ticks.
QListWidget *tickList(QWidget *parent, const char *name);
// Appends a ticked item.
void addTicked(QListWidget *list, const QString &text);
bool isTicked(const QListWidgetItem *item);
// The texts of the ticked items, in list order.
QStringList tickedTexts(const QListWidget *list);

} // namespace tessaly::reports
