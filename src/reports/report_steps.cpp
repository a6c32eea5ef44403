#include "reports/report_steps.h"

#include "kit/class_tree.h"
#include "kit/window_base.h"
#include "reports/paper_preview.h"
#include "reports/transcript_options.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace tessaly::reports {

ReportSteps buildReportSteps(QGroupBox *frame, const StepCaptions &captions, QLabel *heading,
                             const QList<QPushButton *> &buttons)
{
    ReportSteps s;
    for (int i = 0; i < 12; ++i)
        s.captionLabels << nullptr;
    auto label = [&](int index, const QString &text) {
        s.captionLabels[index] = new QLabel(text, frame);
        s.captionLabels[index]->setObjectName(QStringLiteral("lblLabels%1").arg(index));
        return s.captionLabels[index];
    };
    label(11, QStringLiteral("①选择年级组或班级:"));
    label(0, captions.classes);
    QLabel *note = label(1, captions.note);
    label(2, captions.exams);
    label(6, QStringLiteral("④选择科目:"));
    label(5, captions.count);
    s.groupTree = named(new ClassTree(frame), "TreeView1");
    s.classList = tickList(frame, "List2");
    s.examCombo = named(new QComboBox(frame), "Combo1");
    s.subjectList = tickList(frame, "List1");
    s.groupTree->setMinimumWidth(s.groupTree->fontMetrics().horizontalAdvance(QStringLiteral("初一年级组初一年级组")));
    s.examCombo->setMinimumContentsLength(12);

    auto *steps = new QVBoxLayout(frame);
    if (heading)
        steps->addWidget(heading);
    steps->addWidget(s.captionLabels[11]);
    steps->addWidget(s.groupTree, 3);
    steps->addWidget(s.captionLabels[0]);
    steps->addWidget(s.classList, 2);
    steps->addWidget(note);
    steps->addWidget(s.captionLabels[2]);
    steps->addWidget(s.examCombo);
    auto *subjectsHead = new QHBoxLayout;
    subjectsHead->addWidget(s.captionLabels[6]);
    subjectsHead->addWidget(s.captionLabels[5]);
    subjectsHead->addStretch();
    steps->addLayout(subjectsHead);
    steps->addWidget(s.subjectList, 2);
    auto *row = new QHBoxLayout;
    int buttonsWidth = 0;
    for (QPushButton *b : buttons) {
        row->addWidget(b);
        buttonsWidth += b->sizeHint().width() + row->spacing();
    }
    steps->addLayout(row);
    // Wide enough for its longest caption and its buttons; the note wraps.
    frame->setFixedWidth(std::max(frame->fontMetrics().horizontalAdvance(QStringLiteral("②选择(初一年级)可比较的班级")),
                                  buttonsWidth)
                         + 40);
    // The note in a smaller type, whole; the lists give way to it.
    note->setWordWrap(true);
    QFont noteFont = note->font();
    noteFont.setPointSizeF(noteFont.pointSizeF() - 1.5);
    note->setFont(noteFont);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    note->setMinimumHeight(note->heightForWidth(frame->width() - 40));
    for (QWidget *list : {static_cast<QWidget *>(s.groupTree), static_cast<QWidget *>(s.subjectList),
                          static_cast<QWidget *>(s.classList)})
        list->setMinimumHeight(list->fontMetrics().height() * 3);
    return s;
}

void assembleReportView(QWidget *window, QWidget *steps, QWidget *grid, QWidget *banner, bool bannerOnTop,
                        PaperPreview *preview)
{
    auto *normalView = new QWidget(window);
    auto *normal = new QVBoxLayout(normalView);
    normal->setContentsMargins(0, 0, 0, 0);
    for (QWidget *w : {steps, grid, banner})
        w->setParent(normalView);
    auto *body = new QHBoxLayout;
    body->addWidget(steps);
    body->addWidget(grid, 1);
    if (bannerOnTop)
        normal->addWidget(banner);
    normal->addLayout(body, 1);
    if (!bannerOnTop)
        normal->addWidget(banner);
    preview->hide();
    preview->setNormalView({normalView});
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(normalView, 1);
    layout->addWidget(preview, 1);
}

QGroupBox *addZoomOptions(QWidget *parent, QList<QRadioButton *> &options, const char *captionLabel)
{
    const QString caption = QStringLiteral("表格内字体宽度设置：");
    auto *zoom = named(new QGroupBox(captionLabel ? QString() : caption, parent), "Frame4");
    auto *zoomLayout = new QHBoxLayout(zoom);
    if (captionLabel)
        zoomLayout->addWidget(named(new QLabel(caption, zoom), captionLabel));
    const QString sizes[] = {QStringLiteral("缩小"), QStringLiteral("正常"), QStringLiteral("放大")};
    for (int i = 0; i < 3; ++i) {
        auto *option = new QRadioButton(sizes[i], zoom);
        option->setObjectName(QStringLiteral("Option7_%1").arg(i));
        options << option;
        zoomLayout->addWidget(option);
    }
    options[1]->setChecked(true);
    return zoom;
}

QFont fittedFont(const QFont &font, const QString &text, int room)
{
    const auto fits = [&](const QFont &f) { return QFontMetrics(f).horizontalAdvance(text) <= room; };
    if (fits(font))
        return font;
    QFont narrower = font;
    for (int stretch = QFont::Unstretched - 1; stretch >= kLeastFontStretch; --stretch) {
        narrower.setStretch(stretch);
        if (fits(narrower))
            return narrower;
    }
    // Quarter points down from the size, never below the least share of it.
    const double least = font.pointSizeF() * kLeastFontShare;
    for (double size = std::floor(font.pointSizeF() * 4) / 4; size >= least; size -= 0.25) {
        narrower.setPointSizeF(size);
        if (fits(narrower))
            return narrower;
    }
    narrower.setPointSizeF(least);
    return narrower;
}

int chosenZoom(const QList<QRadioButton *> &options)
{
    int chosen = 1;
    for (int i = 0; i < options.size(); ++i)
        if (options[i]->isChecked())
            chosen = i;
    return chosen;
}

void applyZoomFont(QWidget *grid, double normalPointSize, int zoomOption)
{
    if (normalPointSize <= 0)
        return;
    QFont font = grid->font();
    font.setPointSizeF(normalPointSize * zoomFontScale(Zoom(zoomOption)));
    grid->setFont(font);
}

void showOptionsPanel(QWidget *panel)
{
    const QWidget *window = panel->parentWidget();
    panel->adjustSize();
    panel->move((window->width() - panel->width()) / 2, (window->height() - panel->height()) / 3);
    panel->raise();
    panel->show();
}

QListWidget *tickList(QWidget *parent, const char *name)
{
    auto *list = named(new QListWidget(parent), name);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    return list;
}

void addTicked(QListWidget *list, const QString &text)
{
    auto *item = new QListWidgetItem(text, list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
}

bool isTicked(const QListWidgetItem *item)
{
    return item->checkState() == Qt::Checked;
}

QStringList tickedTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        if (isTicked(list->item(i)))
            texts << list->item(i)->text();
    return texts;
}

} // namespace tessaly::reports
