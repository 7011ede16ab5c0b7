-- The Farrowdale database: eight tables. Dates are stored as ISO-8601 text
-- ('2026-12-07 14:05:00') so that BETWEEN and ORDER BY work on them.
CREATE TABLE WebSiteConfiguration (
  WebSiteConfigID      INTEGER PRIMARY KEY,
  WebSiteGenericName   TEXT,
  RootWebSiteAddress   TEXT,
  ReportGenerationURL  TEXT,
  SubmittersEmail      TEXT,
  SubmittersCountryCode TEXT,
  EmailChangeReportsTo TEXT,
  LastReport           TEXT,
  Industry             TEXT,
  UpdateURL            TEXT,
  FileTransInfo        TEXT
);

CREATE TABLE WebSites (
  WebSiteID           INTEGER PRIMARY KEY AUTOINCREMENT,
  WebSiteGenericName  TEXT,
  LastUpdateRequest   TEXT,
  LastListFile        TEXT
);

CREATE TABLE WebSiteNames (
  WebSiteNameID        INTEGER PRIMARY KEY AUTOINCREMENT,
  WebSiteID            INTEGER,
  WebSiteBaseURL       TEXT,
  WebSiteEmailAddress  TEXT,
  WebSiteSubmitterName TEXT,
  DirectoryListing     TEXT,
  CountryCode          TEXT,
  EmailReportsTo       TEXT,
  Industry             TEXT
);

CREATE TABLE WebSitePages (
  WebSitePageID    INTEGER PRIMARY KEY AUTOINCREMENT,
  WebSiteID        INTEGER,
  PageURL          TEXT,
  PageDescription  TEXT,
  PageKeywords     TEXT,
  UpdatedDate      TEXT
);

CREATE TABLE Submissions (
  SubmissionID    INTEGER PRIMARY KEY AUTOINCREMENT,
  SubmitDate      TEXT,
  WebSiteID       INTEGER,
  WebSiteNameID   INTEGER,
  WebSitePageID   INTEGER,
  SearchEngineID  INTEGER
);

CREATE TABLE SearchEngines (
  SearchEngineID     INTEGER PRIMARY KEY,
  SearchEngineName   TEXT,
  ReviewQueryString  TEXT,
  SubmitQueryString  TEXT,
  SearchEngineTips   TEXT,
  HTTPReviewMethod   TEXT,
  HTTPSubmitMethod   TEXT,
  Popularity         INTEGER
);

CREATE TABLE WebPageUpdateRequests (
  ChangeRequestID  INTEGER PRIMARY KEY AUTOINCREMENT,
  SubmissionDate   TEXT,
  WebSiteID        INTEGER,
  RootWebSite      TEXT,
  WebPage          TEXT,
  PageTitle        TEXT,
  Revisit          TEXT,
  Author           TEXT,
  Description      TEXT,
  Keywords         TEXT
);

CREATE TABLE Industries (
  ID        INTEGER PRIMARY KEY,
  Industry  TEXT
);

CREATE INDEX idx_websitenames_site ON WebSiteNames (WebSiteID);
CREATE INDEX idx_websitenames_url ON WebSiteNames (WebSiteBaseURL);
CREATE INDEX idx_websitepages_url ON WebSitePages (PageURL);
CREATE INDEX idx_websites_name ON WebSites (WebSiteGenericName);
CREATE INDEX idx_submissions_date ON Submissions (SubmitDate);
CREATE INDEX idx_changes_date ON WebPageUpdateRequests (SubmissionDate);
