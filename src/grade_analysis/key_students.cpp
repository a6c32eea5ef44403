#include "grade_analysis/key_students.h"


#include <QPoint>
#include <algorithm>

namespace tessaly::grades {

using namespace chart;

namespace {

const QString kFrame5 = QStringLiteral("Frame5");   // panels: rectangles and their captions
const QString kNam = QStringLiteral("nam");
const QString kHai1 = QStringLiteral("hai1");
const QString kFen = QStringLiteral("fen");
const QString kPanelText = QStringLiteral("PanelText");   // fixed texts, 8 per panel
const QString kPanelLine = QStringLiteral("PanelLine");   // axes and average line, 3 per panel
const QString kLabel7 = QStringLiteral("Label7");

constexpr int kPanelWidth = 4335;
constexpr int kPanelHeight = 3015;
constexpr int kPanelBase = 2630;    // bars stand on it
constexpr int kPanelTop = 240;      // the vertical axis's top
constexpr int kPlaces = 15;

LabelElement &put(ChartFrame &f, const QString &array, int index, const QString &caption, QPoint at, int left,
                  int top, int width, int height = 255)
{
    LabelElement &l = f.label(array, index);
    l.caption = caption;
    l.left = at.x() + left;
    l.top = at.y() + top;
    l.width = width;
    l.height = height;
    l.wordWrap = false;
    return l;
}

void designPanel(ChartFrame &f, int p)
{
    const QPoint at = keyPanelOrigin(p);
    ShapeElement &box = f.shape(kFrame5, p);
    box.kind = ShapeElement::Kind::Rectangle;
    box.left = at.x();
    box.top = at.y();
    box.width = kPanelWidth;
    box.height = kPanelHeight;
    box.fill = kWhite;
    box.border = kBlack;
    LabelElement &caption = put(f, kFrame5, p, QStringLiteral("各学科横向对比情况"), at, 120, -120, 2400, 240);
    caption.opaque = true;
    caption.back = kWhite;

    LineElement &y = f.line(kPanelLine, 3 * p);
    y = {at.x() + 360, at.y() + kPanelTop, at.x() + 360, at.y() + 2640};
    y.width = 2;
    LineElement &x = f.line(kPanelLine, 3 * p + 1);
    x = {at.x() + 360, at.y() + 2655, at.x() + 4080, at.y() + 2655};
    x.width = 2;
    LineElement &avg = f.line(kPanelLine, 3 * p + 2);
    avg = {at.x() + 360, at.y() + 1680, at.x() + 4080, at.y() + 1680};
    avg.colour = kRed;
    avg.dotted = true;

    const int t = 8 * p;
    put(f, kPanelText, t, QStringLiteral("↑"), at, 270, 90, 180).bold = true;
    put(f, kPanelText, t + 1, QStringLiteral("0"), at, 240, 2640, 120);
    put(f, kPanelText, t + 2, QStringLiteral("→"), at, 3960, 2560, 255).bold = true;
    LabelElement &avgText = put(f, kPanelText, t + 3, QStringLiteral("平均线"), at, 120, 1320, 210, 720);
    avgText.fore = kRed;
    avgText.wordWrap = true;
    put(f, kPanelText, t + 4, QStringLiteral("分数"), at, 120, 360, 210, 495).wordWrap = true;
    put(f, kPanelText, t + 5, QStringLiteral("学科"), at, 3600, 2690, 375);
    put(f, kPanelText, t + 6, QStringLiteral("说明：红虚线是平均分数，顶端是学生分数"), at, 600, 240, 3495).fore = kRed;
    put(f, kNam, p, QStringLiteral("显示学生名"), at, 600, 2715, 3135).fore = kRed;
    f.label(kPanelText, t + 7).visible = false;   // spare place
    for (int k = 0; k < kPlaces; ++k) {
        f.label(kHai1, kPlaces * p + k).visible = false;
        f.label(kFen, kPlaces * p + k).visible = false;
    }
}

void showPanel(ChartFrame &f, int p, bool on)
{
    f.shape(kFrame5, p).visible = on;
    f.label(kFrame5, p).visible = on;
    f.label(kNam, p).visible = on;
    for (int i = 3 * p; i < 3 * p + 3; ++i)
        f.line(kPanelLine, i).visible = on;
    for (int i = 8 * p; i < 8 * p + 7; ++i)
        f.label(kPanelText, i).visible = on;
    if (!on) {
        for (int k = 0; k < kPlaces; ++k) {
            f.label(kHai1, kPlaces * p + k).visible = false;
            f.label(kFen, kPlaces * p + k).visible = false;
        }
    }
}

} // namespace

KeyStudentPick pickKeyStudents(const QStringList &rawRanks, int start, const QString &className)
{
    KeyStudentPick pick;
    const int students = int(rawRanks.size());
    const qint64 end = std::min<qint64>(qint64(start) + kKeyPanels - 1, students);
    for (qint64 j = start; j <= end; ++j) {
        for (int l = 0; l < students; ++l) {
            bool ok = false;
            const qint64 rank = rawRanks[l].toLongLong(&ok);
            if (!ok || rank != j)
                continue;
            pick.students << l;
            if (pick.students.size() == kKeyPanels)
                return pick;
        }
    }
    pick.rangeLine = QStringLiteral("显示") + className + QString::number(start) + QStringLiteral("—")
                     + QString::number(qint64(start) + pick.students.size() - 1) + QStringLiteral("名");
    return pick;
}

QPoint keyPanelOrigin(int panel)
{
    static const int tops[] = {1320, 4560, 7800, 11160, 14520};
    return {panel % 2 == 0 ? 1080 : 6120, tops[std::clamp(panel / 2, 0, 4)]};
}

ChartFrame designKeySheet()
{
    ChartFrame f(QString(), 50, 50, 11500, 18900);
    ShapeElement &page = f.shape(QStringLiteral("Picture3"), 0);
    page = {ShapeElement::Kind::Rectangle, 0, 0, 11500, 18900, kWhite, kWhite};
    LabelElement &title = f.label(QStringLiteral("Label1"), 0);
    title = {};
    title.left = 4080;
    title.top = 600;
    title.width = 3375;
    title.height = 375;
    title.caption = QStringLiteral("重点生薄弱学科对比分析");
    title.face = QStringLiteral("黑体");
    title.pointSize = 15;
    title.wordWrap = false;
    f.line(QStringLiteral("Line5"), 0) = {1080, 1035, 10440, 1035};
    f.line(QStringLiteral("Line4"), 0) = {1080, 1080, 10440, 1080};
    const QPoint origin(0, 0);
    put(f, kLabel7, 77, QStringLiteral("制表时间:"), origin, 1320, 840, 1935).fore = kBlue;
    put(f, kLabel7, 75, QStringLiteral("显示10名学生"), origin, 8160, 840, 2175).fore = kBlue;
    for (int p = 0; p < kKeyPanels; ++p)
        designPanel(f, p);
    // Everything stands over the white page (layer 0).
    for (const QString &array : f.labels().keys())
        for (int i = 0; i < f.labelCount(array); ++i)
            f.label(array, i).z = 1;
    for (const QString &array : f.lines().keys())
        for (int i = 0; i < f.lineCount(array); ++i)
            f.line(array, i).z = 1;
    for (int p = 0; p < kKeyPanels; ++p)
        f.shape(kFrame5, p).z = 1;
    hideKeyPanels(f);
    return f;
}

void setKeySheetDate(ChartFrame &sheet, const QString &date)
{
    sheet.label(kLabel7, 77).caption = QStringLiteral("制表时间:") + date;
}

void hideKeyPanels(ChartFrame &sheet)
{
    for (int p = 0; p < kKeyPanels; ++p)
        showPanel(sheet, p, false);
}

void fillKeyPanel(ChartFrame &f, int p, const KeyStudent &student, const QVector<SubjectScores> &matrix,
                  const QVector<int> &selected, const QString &className)
{
    const QPoint at = keyPanelOrigin(p);
    showPanel(f, p, true);
    f.label(kFrame5, p).caption = QStringLiteral("第") + student.rankText + QStringLiteral("名(") + student.name
                                  + QLatin1Char(')');
    f.label(kNam, p).caption = student.name + QStringLiteral(" 全班第(") + student.rankText + QStringLiteral(")名");
    const int n = int(std::min<qsizetype>(selected.size(), kPlaces));
    for (int k = 1; k <= n; ++k) {
        const SubjectScores &s = matrix[selected[k - 1]];
        const std::optional<float> x = student.student < s.scores.size() ? s.scores[student.student] : std::nullopt;
        const int index = kPlaces * p + k - 1;
        drawStudentBar(f, {kHai1, index, kFen, index, at.x() + 360, at.y() + kPanelBase, kPanelBase - kPanelTop}, k, n,
                       s, x, className);
    }
    for (int k = n + 1; k <= kPlaces; ++k) {
        f.label(kHai1, kPlaces * p + k - 1).visible = false;
        f.label(kFen, kPlaces * p + k - 1).visible = false;
    }
}

} // namespace tessaly::grades
