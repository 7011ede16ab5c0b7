-- What a new program folder's database holds: the settings row, the list of
-- industries and a first search-engine catalogue (kept current afterwards by
-- the update server).
INSERT INTO WebSiteConfiguration (WebSiteConfigID, WebSiteGenericName, RootWebSiteAddress,
  ReportGenerationURL, SubmittersEmail, SubmittersCountryCode, EmailChangeReportsTo, LastReport,
  Industry, UpdateURL, FileTransInfo)
VALUES (1, '', '', '', '', '', '', '', '', 'https://updates.farrowdale.example/Update.asp', '');

INSERT INTO Industries (ID, Industry) VALUES
  (1, 'Agriculture'), (2, 'Automotive'), (3, 'Banking and Finance'), (4, 'Chemicals'),
  (5, 'Construction'), (6, 'Consulting'), (7, 'Education'), (8, 'Energy and Utilities'),
  (9, 'Entertainment and Media'), (10, 'Fashion and Apparel'), (11, 'Food and Beverage'),
  (12, 'Government'), (13, 'Healthcare'), (14, 'Hospitality and Travel'), (15, 'Insurance'),
  (16, 'Legal Services'), (17, 'Logistics and Transport'), (18, 'Manufacturing'),
  (19, 'Marketing and Advertising'), (20, 'Mining and Metals'), (21, 'Non-Profit'),
  (22, 'Pharmaceuticals'), (23, 'Publishing'), (24, 'Real Estate'), (25, 'Retail'),
  (26, 'Software'), (27, 'Sports and Recreation'), (28, 'Telecommunications'),
  (29, 'Textiles'), (30, 'Wholesale');

-- Review templates ask an engine what it knows of a page (a site: query);
-- submit templates hand the page to an engine's URL-submission endpoint. An
-- engine whose submit method is 'indexnow' takes pages through the IndexNow
-- protocol: its template is the endpoint, and the key is the root URL's.
INSERT INTO SearchEngines (SearchEngineID, SearchEngineName, ReviewQueryString,
  SubmitQueryString, SearchEngineTips, HTTPReviewMethod, HTTPSubmitMethod, Popularity) VALUES
  (1, 'Google', 'https://www.google.com/search?q=site:<%URL%>', '',
   'Submit through your site''s sitemap and the webmaster console.', 'get', '', 1),
  (2, 'Bing', 'https://www.bing.com/search?q=site:<%URL%>', 'https://www.bing.com/indexnow',
   'IndexNow: host your key file on the site first.', 'get', 'indexnow', 1),
  (3, 'Yandex', 'https://yandex.com/search/?text=url:<%URL%>', 'https://yandex.com/indexnow',
   'IndexNow: host your key file on the site first.', 'get', 'indexnow', 2),
  (4, 'IndexNow', '', 'https://api.indexnow.org/indexnow',
   'Shared endpoint: one submission reaches every IndexNow engine.', 'get', 'indexnow', 2),
  (5, 'DuckDuckGo', 'https://duckduckgo.com/?q=site:<%URL%>',
   'https://html.duckduckgo.com/html/?q=<%URL%>',
   'Sent as a form post; shows what the engine has for the address.', 'get', 'post', 3),
  (6, 'Seznam', 'https://search.seznam.cz/?q=site:<%URL%>', 'https://search.seznam.cz/indexnow',
   '', 'get', 'indexnow', 3),
  (7, 'Yahoo', 'https://search.yahoo.com/search?p=site:<%URL%>', '', '', 'get', '', 3),
  (8, 'Mojeek', 'https://www.mojeek.com/search?q=site:<%URL%>', '',
   'Independent index.', 'get', '', 5),
  (9, 'Brave Search', 'https://search.brave.com/search?q=site:<%URL%>', '', '', 'get', '', 5),
  (10, 'Naver', 'https://search.naver.com/search.naver?query=site:<%URL%>',
   'https://searchadvisor.naver.com/indexnow', '', 'get', 'indexnow', 6);
