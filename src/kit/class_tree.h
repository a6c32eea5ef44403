#pragma once
// The class tree: the grade groups of 教导处 as roots, each with its classes
// under it, in 教导处 row order (id). Windows that choose a class from a tree
// (打印点名册, 学生发展趋势) show it.
//
// A class node's text is the class name; its key names the grade, the class,
// its actual name and its head teacher: "初一三班(实验班)班主任:王老师". A grade
// group's key is its name. Keys are unique in the tree.
//
// classTreeFromRows() decides the tree's content from 教导处 rows, without
// widgets; ClassTree shows it, with the pictures of ImageList1:
//   "BG" grade group collapsed, "BK" grade group expanded,
//   "Z" class, "bi" class while selected.
#include <QList>
#include <QString>
#include <QTreeWidget>
#include <QVariant>
#include <QVector>

#include <optional>

class QIcon;

namespace tessaly {

namespace db {
class Connection;
}

struct ClassNode {
    QString gradeGroup;   // 对应内容
    QString className;    // 名称: the node's text
    QString actualName;   // 其它
    QString headTeacher;  // 其次
    QString key;
};

struct GradeGroupNode {
    QString name;   // 名称: the node's text and key
    QList<ClassNode> classes;
};

// The first two characters of the grade group, the class name, "(", the actual
// name, ")班主任:" and the head teacher; an empty part adds nothing.
QString classNodeKey(const QString &gradeGroup, const QString &className, const QString &actualName,
                     const QString &headTeacher);

// The tree from 教导处 rows of (类别, 名称, 对应内容, 其它, 其次), in the order given
// (null texts count as empty): a root per 年级组名 row, then each 班级名 row under
// the root named by its 对应内容, in row order. A class row that names no grade
// group, a grade-group row without a name, and a row whose key a node already
// has are left out.
QList<GradeGroupNode> classTreeFromRows(const QVector<QVector<QVariant>> &rows);

// The grade groups and classes of 教导处 on the window's connection
// (classTreeFromRows). With no grade-group or class row: "目前教导处还没进行年级组设置。"
// over `parent`, and nothing; a refused read is reported (reportReadFailure)
// and gives nothing either.
QList<GradeGroupNode> ReadClassTree(db::Connection &c, QWidget *parent);

class ClassTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit ClassTree(QWidget *parent = nullptr);

    // Fills the tree from ReadClassTree on the connection; nothing read gives an
    // empty tree. The last node added is scrolled into view.
    void BuildClassTree(db::Connection &c);

    // The class of a class node; none for a grade-group node (or no node), which
    // chooses no class.
    std::optional<ClassNode> SelectClassNode(const QTreeWidgetItem *node) const;

    // The node's key; the picture it shows now ("BG", "BK", "Z" or "bi").
    static QString keyOf(const QTreeWidgetItem *node);
    static QString imageOf(const QTreeWidgetItem *node);
    // A picture of ImageList1 by its key.
    static QIcon image(const QString &key);

signals:
    // A node was clicked, or made current with the keyboard.
    void NodeClick(QTreeWidgetItem *node);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showExpanded(QTreeWidgetItem *node, bool expanded);
    QList<ClassNode> m_classes;   // item data kClassIndex indexes this
};

} // namespace tessaly
