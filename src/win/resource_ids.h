/* Shared by mgoldwk.rc and the code. The two pictures have numeric ids: the resource
   directory lists named icons first, so the 14 named icons keep indices 0 to 13. */
#pragma once

#define IDI_IMGICONLEER 100
#define IDI_IMGICONSEPARATOR 101
// The About box banner, a JPEG picture.
#define IDR_BANNER 200
// The settings window's button pictures.
#define IDB_GLYPHS 201
