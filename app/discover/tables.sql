-- The last-modified time the site itself gives each page of a root URL's list
-- (its sitemaps' <lastmod>, a feed's date), from the last discovery taken; the
-- page as its node text, the time in UTC as "yyyy-mm-ddThh:mm:ssZ".
CREATE TABLE IF NOT EXISTS PageLastModified (WebSiteBaseURL TEXT NOT NULL, Page TEXT NOT NULL,
  LastModified TEXT NOT NULL, PRIMARY KEY (WebSiteBaseURL, Page)) WITHOUT ROWID;
