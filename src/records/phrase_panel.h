#pragma once
// The phrase panel Frame1 ("可选评定用语") of 学生操行评定: the shared library of
// conduct phrases in five categories (班主任 rows "1" … "5", 其它 "操行评定"),
// edited through the two-mode editor. A click on a phrase makes it the current
// one (edit and delete act on it); a click on its text, not on its number, also
// hands the text to the window.
#include "records/head_teacher_documents.h"
#include "records/two_mode_editor.h"

#include <QGroupBox>
#include <QVector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {
class FlexGrid;
}

namespace tessaly::records {

class PhrasePanel : public QGroupBox {
    Q_OBJECT
public:
    // `locked`: the window's widgets disabled while a phrase is added or edited.
    // Reads and saves run on `connection`, the window's.
    PhrasePanel(ConnectionSource connection, const QList<QWidget *> &locked, QWidget *parent = nullptr);

    // Grid heights (twips): browsing, and shortened so the editor beneath shows.
    static constexpr int kGridHeight = 2415;
    static constexpr int kGridHeightEditing = 1695;

    // Chooses the category at that position (0 … 4), as a user's choice does.
    void selectCategory(int position);
    // The phrases listed now, in grid order.
    const QVector<Document> &phrases() const { return m_rows; }
    // The current phrase's position in phrases(); -1 when none.
    int currentPhrase() const { return m_current; }

    TwoModeEditor *editor() const { return m_editor; }

    QLabel *phraseHeading = nullptr;
    QComboBox *phraseKindCombo = nullptr;
    FlexGrid *phraseGrid = nullptr;
    QLineEdit *phraseBox = nullptr;
    QPushButton *addButton = nullptr;
    QPushButton *editButton = nullptr;
    QPushButton *updateButton = nullptr;
    QPushButton *refreshButton = nullptr;
    QPushButton *deleteButton = nullptr;

signals:
    // A phrase was clicked (the window appends it to the evaluation).
    void phraseClicked(const QString &text);

public slots:
    void phraseKindChosen();
    void LoadPhraseGrid();
    void phraseGridClicked();

private:
    void showEditor(bool shown);
    void makeCurrent(std::optional<qint64> id);

    ConnectionSource m_connection;   // the window's
    TwoModeEditor *m_editor = nullptr;
    QVector<Document> m_rows;
    int m_current = -1;
};

} // namespace tessaly::records
