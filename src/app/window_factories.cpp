// Every built window, one line each, grouped by subsystem. Adding a line
// here enables the window's menu items and toolbar buttons.
#include "app/main_window.h"
#include "kit/window_names.h"

// Shell, sign-in and data store.
#include "shell/connection_failure_dialog.h"
#include "shell/download_window.h"
#include "shell/about_window.h"
#include "shell/help_window.h"
#include "shell/password_admin_window.h"
#include "shell/password_change_dialog.h"
#include "shell/print_page.h"
#include "shell/school_name_window.h"
#include "shell/server_settings_window.h"
#include "shell/sign_in_dialog.h"
#include "shell/upload_window.h"
#include "maintenance/data_maintenance_window.h"

// Organisation and placement.
#include "organisation/admission_notice_window.h"
#include "organisation/class_setup_window.h"
#include "organisation/grade_group_window.h"
#include "organisation/head_teacher_list_window.h"
#include "organisation/new_student_window.h"
#include "organisation/subject_setup_window.h"
#include "organisation/teacher_list_window.h"

// Register and class lists.
#include "register/exam_number_window.h"
#include "register/register_window.h"
#include "register/roll_call_window.h"
#include "register/survey_sheet_window.h"

// Score entry.
#include "score_entry/score_entry_window.h"

// Class score analysis.
#include "class_analysis/multi_exam_window.h"
#include "class_analysis/development_trend_window.h"
#include "class_analysis/single_exam_window.h"

// Grade-group analysis.
#include "grade_analysis/comparison_window.h"
#include "grade_analysis/weak_subject_window.h"

// Transcripts and reports.
#include "reports/score_report_window.h"
#include "reports/transcript_window.h"

// Head-teacher records and notices.
#include "records/class_document_window.h"
#include "records/conduct_window.h"
#include "records/daily_record_window.h"
#include "records/development_record_window.h"
#include "records/notice_admin_window.h"
#include "records/publish_notice_window.h"
#include "records/template_window.h"
#include "records/view_notices_window.h"

namespace tessaly {

void registerWindowFactories(MainWindow &m)
{
    // Shell, sign-in and data store.
    m.registerWindow(kSchoolNameWindow, makeWindow<SchoolNameWindow>);
    m.registerWindow(kSignInDialog, makeWindow<SignInDialog>);
    m.registerWindow(kPasswordChangeDialog, makeWindow<PasswordChangeDialog>);
    m.registerWindow(kPasswordAdminWindow, makeWindow<PasswordAdminWindow>);
    m.registerWindow(kPrintPage, makeWindow<PrintPage>);
    m.registerWindow(kServerSettingsWindow, makeWindow<ServerSettingsWindow>);
    m.registerWindow(kConnectionFailureDialog, makeWindow<ConnectionFailureDialog>);
    m.registerWindow(kDownloadWindow, makeWindow<DownloadWindow>);
    m.registerWindow(kUploadWindow, makeWindow<UploadWindow>);
    m.registerWindow(kDataMaintenanceWindow, makeWindow<DataMaintenanceWindow>);
    m.registerWindow(kAboutWindow, makeWindow<AboutWindow>);
    m.registerWindow(kHelpWindow, makeWindow<HelpWindow>);

    // Organisation and placement.
    m.registerWindow(kGradeGroupWindow, makeWindow<GradeGroupWindow>);
    m.registerWindow(kClassSetupWindow, makeWindow<ClassSetupWindow>);
    m.registerWindow(kSubjectSetupWindow, makeWindow<SubjectSetupWindow>);
    m.registerWindow(kHeadTeacherListWindow, makeWindow<HeadTeacherListWindow>);
    m.registerWindow(kTeacherListWindow, makeWindow<TeacherListWindow>);
    m.registerWindow(kAdmissionNoticeWindow, makeWindow<AdmissionNoticeWindow>);
    m.registerWindow(kNewStudentWindow, makeWindow<NewStudentWindow>);

    // Register and class lists.
    m.registerWindow(kRegisterWindow, makeWindow<RegisterWindow>);
    m.registerWindow(kRollCallWindow, makeWindow<RollCallWindow>);
    m.registerWindow(kSurveySheetWindow, makeWindow<SurveySheetWindow>);
    m.registerWindow(kExamNumberWindow, makeWindow<ExamNumberWindow>);

    // Score entry.
    m.registerWindow(kScoreEntryWindow, makeWindow<ScoreEntryWindow>);

    // Class score analysis.
    m.registerWindow(kSingleExamWindow, makeWindow<SingleExamWindow>);
    m.registerWindow(kMultiExamWindow, makeWindow<MultiExamWindow>);
    m.registerWindow(kStudentTrendWindow, makeWindow<DevelopmentTrendWindow>);

    // Grade-group analysis.
    m.registerWindow(kComparisonWindow, makeWindow<ComparisonWindow>);
    m.registerWindow(kWeakSubjectWindow, makeWindow<WeakSubjectWindow>);

    // Transcripts and reports.
    m.registerWindow(kTranscriptWindow, makeWindow<TranscriptWindow>);
    m.registerWindow(kScoreReportWindow, makeWindow<ScoreReportWindow>);

    // Head-teacher records and notices.
    m.registerWindow(kPublishNoticeWindow, makeWindow<PublishNoticeWindow>);
    m.registerWindow(kViewNoticesWindow, makeWindow<ViewNoticesWindow>);
    m.registerWindow(kNoticeAdminWindow, makeWindow<NoticeAdminWindow>);
    m.registerWindow(kConductWindow, makeWindow<ConductWindow>);
    m.registerWindow(kPlanWindow, makeWindow<PlanWindow>);
    m.registerWindow(kSummaryWindow, makeWindow<SummaryWindow>);
    m.registerWindow(kPlanTemplateWindow, makeWindow<PlanTemplateWindow>);
    m.registerWindow(kSummaryTemplateWindow, makeWindow<SummaryTemplateWindow>);
    m.registerWindow(kDevelopmentRecordWindow, makeWindow<DevelopmentRecordWindow>);
    m.registerWindow(kDailyRecordWindow, makeWindow<DailyRecordWindow>);
}

} // namespace tessaly
