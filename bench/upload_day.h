#pragma once
// A school day on the offline road, for the upload's benchmark and its kill
// test: 600 students of 初中 on the server; computer A downloads, then enters
// 英语 for all of them, adds 60 students and one exam (661 queued rows) while
// computer B enters 数学 and remarks for the same 600 on the server.
#include <QString>

namespace tessaly::bench {

struct UploadDay {
    QString folder;      // holds day-server-pristine.mdb and, per run, day/data.mdb and day/share/data.mdb
    QString localPath() const;
    QString serverPath() const;
};

constexpr int kDayStudents = 600;
constexpr int kDayAdded = 60;
constexpr int kDayQueued = kDayStudents + kDayAdded + 1;

// Writes the server's database as it is before the day; false with *error.
bool prepareUploadDay(const UploadDay &day, QString *error);
// A fresh run: the server as before the day, A's download of it, A's offline
// work (queued) and B's work on the server.
bool startUploadDay(const UploadDay &day, QString *error);

// What the upload left on the server.
struct UploadDayCheck {
    int undone = 0;       // B's 数学 or remark cells no longer as B left them
    int duplicated = 0;   // 学籍号 or exams on the server more than once
    int missing = 0;      // A's 英语 scores, new students or exam not on the server
};
bool checkUploadDay(const UploadDay &day, UploadDayCheck *check, QString *error);

} // namespace tessaly::bench
