-- The IndexNow key of each root URL, with the address of its key file when
-- that is not "<key>.txt" at the host's root.
CREATE TABLE IF NOT EXISTS IndexNowKeys (WebSiteBaseURL TEXT PRIMARY KEY,
  IndexNowKey TEXT NOT NULL, KeyLocation TEXT, SavedDate TEXT);
