-- The site-map files last written for each root URL, by kind ("xml": the main
-- sitemap first, then its numbered files; "html"), one absolute path a line.
CREATE TABLE IF NOT EXISTS WrittenSiteMaps (WebSiteBaseURL TEXT NOT NULL, Kind TEXT NOT NULL,
  Files TEXT NOT NULL, WrittenDate TEXT, PRIMARY KEY (WebSiteBaseURL, Kind));
