-- The delivered database. Statements are separated by lines holding only ";".
-- Column order is what the windows rely on: do not reorder.

-- Organisation and accounts: grade groups, classes, teaching assignments, administrator.
CREATE TABLE "教导处" (
  "类别" TEXT,
  "名称" TEXT,
  "对应内容" TEXT,
  "其它" TEXT,
  "其次" TEXT,
  "密码" TEXT,
  "id" INTEGER PRIMARY KEY AUTOINCREMENT
)
;
INSERT INTO "教导处" ("名称", "密码") VALUES ('管理员', '')
;
-- Section tables: the 18 register columns; exam (REAL) and evaluation (TEXT)
-- columns are appended at run time.
CREATE TABLE "小学" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "学籍号" TEXT, "姓名" TEXT, "性别" TEXT, "民族" TEXT, "政治面貌" TEXT,
  "出生日期" TEXT, "户口性质" TEXT, "原毕业学校" TEXT, "住宿" INTEGER NOT NULL DEFAULT 0,
  "联系电话" TEXT, "籍贯" TEXT, "家庭住址" TEXT, "特长" TEXT, "家长姓名" TEXT,
  "与生关系" TEXT, "家长单位" TEXT, "备注" TEXT
)
;
CREATE INDEX "小学_学籍号" ON "小学" ("学籍号")
;
CREATE TABLE "初中" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "学籍号" TEXT, "姓名" TEXT, "性别" TEXT, "民族" TEXT, "政治面貌" TEXT,
  "出生日期" TEXT, "户口性质" TEXT, "原毕业学校" TEXT, "住宿" INTEGER NOT NULL DEFAULT 0,
  "联系电话" TEXT, "籍贯" TEXT, "家庭住址" TEXT, "特长" TEXT, "家长姓名" TEXT,
  "与生关系" TEXT, "家长单位" TEXT, "备注" TEXT
)
;
CREATE INDEX "初中_学籍号" ON "初中" ("学籍号")
;
CREATE TABLE "高中" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "学籍号" TEXT, "姓名" TEXT, "性别" TEXT, "民族" TEXT, "政治面貌" TEXT,
  "出生日期" TEXT, "户口性质" TEXT, "原毕业学校" TEXT, "住宿" INTEGER NOT NULL DEFAULT 0,
  "联系电话" TEXT, "籍贯" TEXT, "家庭住址" TEXT, "特长" TEXT, "家长姓名" TEXT,
  "与生关系" TEXT, "家长单位" TEXT, "备注" TEXT
)
;
CREATE INDEX "高中_学籍号" ON "高中" ("学籍号")
;
-- Examination registries, one per section table.
CREATE TABLE "小学考试结果" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "年级组" TEXT, "班级名" TEXT, "班主任" TEXT, "考试名" TEXT, "任课教师" TEXT, "满分" TEXT
)
;
CREATE TABLE "初中考试结果" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "年级组" TEXT, "班级名" TEXT, "班主任" TEXT, "考试名" TEXT, "任课教师" TEXT, "满分" TEXT
)
;
CREATE TABLE "高中考试结果" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "年级组" TEXT, "班级名" TEXT, "班主任" TEXT, "考试名" TEXT, "任课教师" TEXT, "满分" TEXT
)
;
-- Head-teacher documents: phrases, templates, plans, summaries, records.
CREATE TABLE "班主任" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "类别" TEXT, "内容" TEXT, "其它" TEXT
)
;
-- Academic notices.
CREATE TABLE "信息" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "发布题目" TEXT, "发布单位" TEXT, "发布时间" TEXT, "发布内容" TEXT
)
;
-- Upload queue: rows changed locally, to be copied to the server; 新增 = 1 for
-- a row first inserted locally (it gets a new ID on the server), 标记 its random
-- mark, left on the server with it so that it is never added twice.
CREATE TABLE "上传表" (
  "表名" TEXT,
  "ID" INTEGER,
  "新增" INTEGER NOT NULL DEFAULT 0,
  "标记" TEXT
)
;
