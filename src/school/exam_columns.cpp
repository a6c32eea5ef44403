#include "school/exam_columns.h"

#include "school/class_code.h"

#include <QSet>

#include <algorithm>

namespace tessaly::school {

namespace {

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The number a text starts with (its leading digits), 0 when it starts with none.
int leadingNumber(const QString &text)
{
    int n = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

} // namespace

QChar examKindLetter(ExamKind kind)
{
    switch (kind) {
    case ExamKind::MidTerm:
        return QLatin1Char('Z');
    case ExamKind::Final:
        return QLatin1Char('M');
    case ExamKind::Quiz:
        return QLatin1Char('C');
    case ExamKind::Entrance:
        return QLatin1Char('R');
    }
    return QChar();
}

QString schoolYearText(const QDate &today)
{
    return twoDigits(schoolYearStart(today) % 100);
}

QString semesterLetter(ExamKind kind, const QDate &today)
{
    const int month = today.month();
    switch (kind) {
    case ExamKind::MidTerm:
        return month >= 3 && month <= 7 ? QStringLiteral("X") : QStringLiteral("S");
    case ExamKind::Final:
        return month <= 2 ? QStringLiteral("S") : QStringLiteral("X");
    case ExamKind::Quiz:
    case ExamKind::Entrance:
        break;
    }
    return QString();
}

QString dateStamp(ExamKind kind, const QDate &today)
{
    const QString year = kind == ExamKind::Quiz ? twoDigits(today.year() % 100) : schoolYearText(today);
    return year + twoDigits(today.month()) + twoDigits(today.day());
}

QString examColumnName(ExamKind kind, const QString &subject, const QDate &today, const QString &quizName)
{
    if (kind == ExamKind::Entrance)
        return QString();
    ExamColumn c;
    c.kind = kind;
    c.subject = subject;
    c.dateStamp = dateStamp(kind, today);
    if (kind == ExamKind::Quiz) {
        c.quizName = quizName;
    } else {
        c.schoolYear = schoolYearText(today);
        c.half = semesterLetter(kind, today);
    }
    return c.name();
}

ExamColumn ExamColumn::parse(const QString &raw, const QString &quizSubject)
{
    ExamColumn c;
    c.raw = raw;
    for (const char letter : {'S', 'R', 'X', 'Z', 'M', 'C'}) {
        if (raw.contains(QLatin1Char(letter)))
            c.capitals += QLatin1Char(letter);
    }
    const QChar first = raw.isEmpty() ? QChar() : raw.front();
    if (first == QLatin1Char('Z'))
        c.kind = ExamKind::MidTerm;
    else if (first == QLatin1Char('M'))
        c.kind = ExamKind::Final;
    else if (first != QLatin1Char('C') && c.capitals.contains(QLatin1Char('R')))
        c.kind = ExamKind::Entrance;
    // Letter, middle, six-character date stamp (a shorter name keeps its tail as stamp).
    const QString middle = raw.mid(1, std::max<qsizetype>(0, raw.size() - 7));
    c.dateStamp = raw.mid(1 + middle.size());
    switch (c.kind) {
    case ExamKind::MidTerm:
    case ExamKind::Final:
        c.schoolYear = middle.left(2);
        c.half = middle.mid(2, 1);
        c.subject = middle.mid(3);
        break;
    case ExamKind::Quiz:
        if (!quizSubject.isEmpty() && middle.endsWith(quizSubject)) {
            c.quizName = middle.chopped(quizSubject.size());
            c.subject = quizSubject;
        } else {
            c.quizName = middle;
        }
        break;
    case ExamKind::Entrance:
        c.subject = middle;
        break;
    }
    return c;
}

QString ExamColumn::name() const
{
    const QString middle =
        kind == ExamKind::MidTerm || kind == ExamKind::Final ? schoolYear + half + subject : quizName + subject;
    return examKindLetter(kind) + middle + dateStamp;
}

bool ExamColumn::isExam() const
{
    return capitals.contains(QLatin1Char('M')) || capitals.contains(QLatin1Char('Z'))
           || capitals.contains(QLatin1Char('C')) || capitals.contains(QLatin1Char('R'));
}

QString ExamColumn::listedSubject() const
{
    return quizName + subject;
}

QString ExamColumn::displayName(const DecodeVariant &variant, const QString &chosenSubject) const
{
    using Entrance = DecodeVariant::Entrance;
    const auto has = [this](char letter) { return capitals.contains(QLatin1Char(letter)); };
    const QString firstHalf = variant.bracketHalves ? QStringLiteral("(上)") : QStringLiteral("上");
    const QString secondHalf = variant.bracketHalves ? QStringLiteral("(下)") : QStringLiteral("下");
    const QString kindSubject = variant.subjectInKind ? chosenSubject : QString();

    enum { Quiz, Dated, EntranceExam } shownKind = Quiz;
    QString t;
    if (variant.entrance == Entrance::First && has('R')) {
        t = QStringLiteral("入学");
        shownKind = EntranceExam;
    }
    if (has('S')) {
        t = firstHalf;
        shownKind = Dated;
    }
    if (variant.entrance == Entrance::AfterFirstHalf && has('R')) {
        t = QStringLiteral("入学");
        shownKind = EntranceExam;
    }
    if (has('X')) {
        t = secondHalf;
        shownKind = Dated;
    }
    if (has('Z')) {
        t += kindSubject + QStringLiteral("期中成绩");
        shownKind = Dated;
    }
    if (has('M')) {
        t += kindSubject + QStringLiteral("期末成绩");
        shownKind = Dated;
    }

    // The two characters after the letter read as the year whatever the kind
    // (a quiz name holding a capital shows them).
    const QString year = raw.mid(1, 2);
    if (shownKind == Dated && variant.quizWithoutYear
        && !(year.size() == 2 && year[0].isDigit() && year[1].isDigit() && year[0].unicode() < 128
             && year[1].unicode() < 128))
        shownKind = Quiz;

    switch (shownKind) {
    case Quiz:
        // Quiz name and subject: the name less its letter and date stamp.
        return raw.mid(1, std::max<qsizetype>(0, raw.size() - 7)) + QStringLiteral("成绩");
    case EntranceExam:
        return QStringLiteral("入学成绩");
    case Dated:
        break;
    }
    // A year that is no number (a quiz name holding a capital) counts as 0.
    QString shown = year + QLatin1Char('-') + twoDigits(leadingNumber(year) + 1);
    if (variant.nameCharsBeforeKind)
        shown += raw.mid(4, 2);
    return shown + t;
}

QString DecodeExamName(const QString &raw, const DecodeVariant &variant, const QString &subject)
{
    return ExamColumn::parse(raw).displayName(variant, subject);
}

QStringList FindExamsOfSubject(const QStringList &columns, const QString &subject)
{
    QStringList exams;
    if (subject.isEmpty())
        return exams;
    for (qsizetype i = kFirstScannedColumn; i < columns.size(); ++i) {
        if (columns[i].contains(subject))
            exams << columns[i];
    }
    return exams;
}

bool isExamColumnName(const QString &c)
{
    return ExamColumn::parse(c).isExam();
}

QStringList ListExamNames(const QStringList &columns, const DecodeVariant &variant)
{
    QStringList names;
    QSet<QString> seen;
    for (qsizetype i = kFirstScannedColumn; i < columns.size(); ++i) {
        const ExamColumn c = ExamColumn::parse(columns[i]);
        if (!c.isExam())
            continue;
        const QString shown = c.displayName(variant);
        if (!seen.contains(shown)) {
            seen.insert(shown);
            names << shown;
        }
    }
    return names;
}

int FullMarkOf(const QList<std::optional<float>> &scores)
{
    const bool above = std::any_of(scores.cbegin(), scores.cend(),
                                   [](const std::optional<float> &s) { return s && *s > 100.0f; });
    return above ? 150 : 100;
}

int RankInClass(float value, const QList<float> &values)
{
    return 1 + int(std::count_if(values.cbegin(), values.cend(), [value](float v) { return v > value; }));
}

QString excellentCountCaption(float line)
{
    return QStringLiteral("优秀人数(≥%1分)").arg(QString::number(double(line), 'g', 7));
}

} // namespace tessaly::school
