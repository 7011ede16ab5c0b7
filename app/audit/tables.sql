-- The site audit's tables: one row per run, its pages and its findings. A
-- finding's State says how it compares with the previous complete run of the
-- same root URL: "new", "still there", or "fixed" (a finding of that run on a
-- page audited again that no longer has it).
CREATE TABLE IF NOT EXISTS AuditRuns (RunID INTEGER PRIMARY KEY AUTOINCREMENT,
  RootURL TEXT NOT NULL, StartedAt TEXT NOT NULL, FinishedAt TEXT NOT NULL,
  FollowLinks INTEGER NOT NULL DEFAULT 0, PageLimit INTEGER, PagesFound INTEGER,
  PagesDone INTEGER, Findings INTEGER, Cancelled INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS AuditRunsByRoot ON AuditRuns (RootURL, RunID);
CREATE TABLE IF NOT EXISTS AuditPages (RunID INTEGER NOT NULL REFERENCES AuditRuns (RunID),
  PageNo INTEGER NOT NULL, URL TEXT NOT NULL, FinalURL TEXT, Status INTEGER, Error TEXT,
  Disallowed INTEGER, Redirects TEXT, RedirectLoop INTEGER, ContentType TEXT, Size INTEGER,
  TimeMs INTEGER, XRobotsTag TEXT, IsHtml INTEGER, HasTitle INTEGER, Title TEXT,
  HasDescription INTEGER, Description TEXT, Keywords TEXT, Robots TEXT, Author TEXT,
  Revisit TEXT, Canonical TEXT, H1Count INTEGER, H1Text TEXT, Lang TEXT, Metas TEXT,
  PRIMARY KEY (RunID, PageNo));
CREATE TABLE IF NOT EXISTS AuditFindings (RunID INTEGER NOT NULL REFERENCES AuditRuns (RunID),
  URL TEXT NOT NULL, Kind TEXT NOT NULL, Detail TEXT, State TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS AuditFindingsByRun ON AuditFindings (RunID);
