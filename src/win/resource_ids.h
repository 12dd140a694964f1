/* Shared by mgoldwk.rc and the code. The two pictures have numeric ids: the resource
   directory lists named icons first, so the 14 named icons keep indices 0 to 13. */
#pragma once

#define IDI_IMGICONLEER 100
#define IDI_IMGICONSEPARATOR 101
// The About box banner, a JPEG picture, drawn again at 150 and 200 % scaling.
#define IDR_BANNER 200
#define IDR_BANNER_150 202
#define IDR_BANNER_200 203
// The settings window's button pictures: strips of 16, 24 and 32 pixel cells.
#define IDB_GLYPHS 201
#define IDB_GLYPHS_24 204
#define IDB_GLYPHS_32 205
