-- Where each root URL is published: the folder on the server that holds the
-- site (sftp://, ftps:// or ftp://) and the user name. The password is in the
-- desktop's keyring, never here.
CREATE TABLE IF NOT EXISTS PublishTargets (WebSiteBaseURL TEXT PRIMARY KEY, Address TEXT NOT NULL,
  UserName TEXT, SavedDate TEXT);
