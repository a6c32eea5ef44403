#pragma once
// 日常工作记录 (caption "班主任日常工作记录"): the head teacher's dated diary of
// a class (kind code "JL" + class code). personCombo lists the head teachers beside
// the classes, and choosing one chooses that head teacher's class.
#include "records/record_window.h"

namespace tessaly {

class DailyRecordWindow : public RecordWindow {
    Q_OBJECT
public:
    explicit DailyRecordWindow(WindowHost &host, QWidget *parent = nullptr);

protected:
    bool addRefused() override;
    QString newRecordSubject() const override;
    void showDuplicate(const QString &displayName) override;
    bool confirmAdd(const QString &displayName) override;
    QString printedHeadTeacher() const override;
    void classChosen() override;
    void signInShown(bool signedIn, records::ClassContext::Shown when) override;
};

} // namespace tessaly
