-- What the engine answered to each submission (one row per Submissions row):
-- the HTTP status, or none when no answer came, whether the page was taken,
-- and the answer in plain words.
CREATE TABLE IF NOT EXISTS SubmissionAnswers (SubmissionID INTEGER PRIMARY KEY, AnswerDate TEXT,
  Channel TEXT, Endpoint TEXT, HTTPStatus INTEGER, Accepted INTEGER NOT NULL DEFAULT 0,
  AnswerText TEXT);
