# Windows build: filled in by the Windows front end work.
