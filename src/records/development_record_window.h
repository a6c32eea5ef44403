#pragma once
// 学生行为纪录 (caption "学生健康发展记录"): the head teacher's dated notes on
// single students of a class (kind code "W" + class code), listed for the whole
// class or for the student chosen in personCombo, with their count above the list.
#include "records/record_window.h"

namespace tessaly {

class DevelopmentRecordWindow : public RecordWindow {
    Q_OBJECT
public:
    explicit DevelopmentRecordWindow(WindowHost &host, QWidget *parent = nullptr);

    // Lists the class's records: mode 0 the whole class, 1 the student personCombo shows.
    void LoadRecordList(int mode);

public slots:
    void personChosen();

protected:
    QString listedSubject() const override;
    void listFilled() override;
    bool addRefused() override;
    QString newRecordSubject() const override;
    void showDuplicate(const QString &displayName) override;
    bool confirmAdd(const QString &displayName) override;
    QString printedHeadTeacher() const override;
    void gradeGroupChosen() override;
    void classChosen() override;
    void signInShown(bool signedIn, records::ClassContext::Shown when) override;

private:
    int m_mode = 0;
};

} // namespace tessaly
