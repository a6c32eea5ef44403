#pragma once
// Every window of the program: its Chinese name (the window's objectName()),
// the C++ class that builds it, and how the main window shows it.
//
// Child windows live inside the main window's MDI area; dialogs are separate
// top-level windows. Whether a show is modal is decided by the caller (the
// menu table of MainWindow, or the window that opens a dialog).
//
// To build a window: write the class, then add one line to
// registerWindowFactories() in window_factories.cpp. Its menu items and
// toolbar buttons are enabled from then on.
#include <QString>
#include <QStringView>

namespace tessaly {

enum class WindowKind { Child, Dialog };

struct WindowInfo {
    const char16_t *name;     // objectName(), as the windows call each other
    const char *className;    // the class in src/
    WindowKind kind;
};

// Subsystem 1: shell, sign-in and data store.
inline constexpr char16_t kSchoolNameWindow[] = u"学校名称设置";        // SchoolNameWindow
inline constexpr char16_t kSignInDialog[] = u"登陆";                   // SignInDialog
inline constexpr char16_t kPasswordChangeDialog[] = u"个人密码修改";    // PasswordChangeDialog
inline constexpr char16_t kServerSettingsWindow[] = u"服务器设置";      // ServerSettingsWindow
inline constexpr char16_t kConnectionFailureDialog[] = u"与服务器的连接"; // ConnectionFailureDialog
inline constexpr char16_t kDownloadWindow[] = u"下载服务器数据";         // DownloadWindow
inline constexpr char16_t kUploadWindow[] = u"数据上传";                // UploadWindow
inline constexpr char16_t kPrintPage[] = u"打印";                      // PrintPage
inline constexpr char16_t kPasswordAdminWindow[] = u"系统安全密码设置";  // PasswordAdminWindow
inline constexpr char16_t kDataMaintenanceWindow[] = u"系统数据安全维护"; // DataMaintenanceWindow
inline constexpr char16_t kAboutWindow[] = u"关于";                    // AboutWindow
inline constexpr char16_t kHelpWindow[] = u"帮助内容";                  // HelpWindow
// Subsystem 2: organisation and placement.
inline constexpr char16_t kGradeGroupWindow[] = u"年级组设置";          // GradeGroupWindow
inline constexpr char16_t kClassSetupWindow[] = u"班级设置";            // ClassSetupWindow
inline constexpr char16_t kSubjectSetupWindow[] = u"学科设置";          // SubjectSetupWindow
inline constexpr char16_t kHeadTeacherListWindow[] = u"班主任分工";      // HeadTeacherListWindow
inline constexpr char16_t kTeacherListWindow[] = u"任课教师分工";        // TeacherListWindow
inline constexpr char16_t kAdmissionNoticeWindow[] = u"打印通知书";      // AdmissionNoticeWindow
inline constexpr char16_t kNewStudentWindow[] = u"新生分班";            // NewStudentWindow
// Subsystem 3: register and class lists.
inline constexpr char16_t kRegisterWindow[] = u"学籍管理";              // RegisterWindow
inline constexpr char16_t kRollCallWindow[] = u"打印点名册";            // RollCallWindow
inline constexpr char16_t kSurveySheetWindow[] = u"打印学籍调查表";      // SurveySheetWindow
inline constexpr char16_t kExamNumberWindow[] = u"打印考号";            // ExamNumberWindow
// Subsystem 4: score entry.
inline constexpr char16_t kScoreEntryWindow[] = u"任课教师录入成绩";     // ScoreEntryWindow
// Subsystem 5: class score analysis.
inline constexpr char16_t kSingleExamWindow[] = u"单科成绩分析";         // SingleExamWindow
inline constexpr char16_t kMultiExamWindow[] = u"单科多次成绩横向分析";   // MultiExamWindow
inline constexpr char16_t kStudentTrendWindow[] = u"学生发展趋势";       // DevelopmentTrendWindow
// Subsystem 6: grade-group analysis.
inline constexpr char16_t kWeakSubjectWindow[] = u"薄弱学科查询";        // WeakSubjectWindow
inline constexpr char16_t kComparisonWindow[] = u"成绩对比分析";         // ComparisonWindow
// Subsystem 7: transcripts and reports.
inline constexpr char16_t kTranscriptWindow[] = u"打印成绩单";           // TranscriptWindow
inline constexpr char16_t kScoreReportWindow[] = u"打印成绩报表";        // ScoreReportWindow
// Subsystem 8: head-teacher records and notices.
inline constexpr char16_t kDailyRecordWindow[] = u"日常工作记录";        // DailyRecordWindow
inline constexpr char16_t kDevelopmentRecordWindow[] = u"学生行为纪录";  // DevelopmentRecordWindow
inline constexpr char16_t kPlanWindow[] = u"年初工作计划";               // PlanWindow
inline constexpr char16_t kSummaryWindow[] = u"年终工作总结";            // SummaryWindow
inline constexpr char16_t kPlanTemplateWindow[] = u"计划模板";           // PlanTemplateWindow
inline constexpr char16_t kSummaryTemplateWindow[] = u"总结模板";        // SummaryTemplateWindow
inline constexpr char16_t kConductWindow[] = u"学生操行评定";            // ConductWindow
inline constexpr char16_t kPublishNoticeWindow[] = u"发布信息";          // PublishNoticeWindow
inline constexpr char16_t kViewNoticesWindow[] = u"查看信息";            // ViewNoticesWindow
inline constexpr char16_t kNoticeAdminWindow[] = u"教务信息管理";        // NoticeAdminWindow

inline constexpr WindowInfo kWindows[] = {
    {kSchoolNameWindow, "SchoolNameWindow", WindowKind::Dialog},
    {kSignInDialog, "SignInDialog", WindowKind::Dialog},
    {kPasswordChangeDialog, "PasswordChangeDialog", WindowKind::Dialog},
    {kServerSettingsWindow, "ServerSettingsWindow", WindowKind::Dialog},
    {kConnectionFailureDialog, "ConnectionFailureDialog", WindowKind::Dialog},
    {kDownloadWindow, "DownloadWindow", WindowKind::Dialog},
    {kUploadWindow, "UploadWindow", WindowKind::Dialog},
    {kPrintPage, "PrintPage", WindowKind::Child},
    {kPasswordAdminWindow, "PasswordAdminWindow", WindowKind::Child},
    {kDataMaintenanceWindow, "DataMaintenanceWindow", WindowKind::Child},
    {kAboutWindow, "AboutWindow", WindowKind::Child},
    {kHelpWindow, "HelpWindow", WindowKind::Child},
    {kGradeGroupWindow, "GradeGroupWindow", WindowKind::Child},
    {kClassSetupWindow, "ClassSetupWindow", WindowKind::Child},
    {kSubjectSetupWindow, "SubjectSetupWindow", WindowKind::Child},
    {kHeadTeacherListWindow, "HeadTeacherListWindow", WindowKind::Child},
    {kTeacherListWindow, "TeacherListWindow", WindowKind::Child},
    {kAdmissionNoticeWindow, "AdmissionNoticeWindow", WindowKind::Child},
    {kNewStudentWindow, "NewStudentWindow", WindowKind::Child},
    {kRegisterWindow, "RegisterWindow", WindowKind::Child},
    {kRollCallWindow, "RollCallWindow", WindowKind::Child},
    {kSurveySheetWindow, "SurveySheetWindow", WindowKind::Child},
    {kExamNumberWindow, "ExamNumberWindow", WindowKind::Dialog},
    {kScoreEntryWindow, "ScoreEntryWindow", WindowKind::Child},
    {kSingleExamWindow, "SingleExamWindow", WindowKind::Child},
    {kMultiExamWindow, "MultiExamWindow", WindowKind::Child},
    {kStudentTrendWindow, "DevelopmentTrendWindow", WindowKind::Child},
    {kWeakSubjectWindow, "WeakSubjectWindow", WindowKind::Child},
    {kComparisonWindow, "ComparisonWindow", WindowKind::Child},
    {kTranscriptWindow, "TranscriptWindow", WindowKind::Child},
    {kScoreReportWindow, "ScoreReportWindow", WindowKind::Child},
    {kDailyRecordWindow, "DailyRecordWindow", WindowKind::Child},
    {kDevelopmentRecordWindow, "DevelopmentRecordWindow", WindowKind::Child},
    {kPlanWindow, "PlanWindow", WindowKind::Child},
    {kSummaryWindow, "SummaryWindow", WindowKind::Child},
    {kPlanTemplateWindow, "PlanTemplateWindow", WindowKind::Child},
    {kSummaryTemplateWindow, "SummaryTemplateWindow", WindowKind::Dialog},   // modeless, outside the work area
    {kConductWindow, "ConductWindow", WindowKind::Child},
    {kPublishNoticeWindow, "PublishNoticeWindow", WindowKind::Child},
    {kViewNoticesWindow, "ViewNoticesWindow", WindowKind::Child},
    {kNoticeAdminWindow, "NoticeAdminWindow", WindowKind::Child},
};

// The entry of a window by its Chinese name; nullptr for an unknown name.
inline const WindowInfo *windowInfo(QStringView name)
{
    for (const WindowInfo &w : kWindows) {
        if (name == QStringView(w.name))
            return &w;
    }
    return nullptr;
}

} // namespace tessaly
