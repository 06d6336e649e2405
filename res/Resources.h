// Pictures built into the executable, looked up by their numeric id.
#pragma once

#include <wx/bitmap.h>
#include <wx/icon.h>

enum ResourceId {
  IDI_APP = 128,        // application icon
  IDI_GUEST = 349,      // a guest
  IDI_CLEAN = 350,      // cleaning (bucket and broom)
  IDB_ABOUT_LOGO = 405, // about box logo, 96x96
  IDI_ROOM = 411,       // a room
  IDB_TOOLBAR = 455,    // the eight toolbar pictures in one 384x48 strip
  IDI_TB_CHECKIN = 456,
  IDI_TB_CHECKOUT = 457,
  IDI_TB_CHANGEROOM = 458,
  IDI_TB_RESERVE = 459,
  IDI_TB_ADDROOM = 460,
  IDI_TB_DELROOM = 461,
  IDI_TB_CALC = 462,
  IDI_TB_ABOUT = 463,
  IDB_ABOUT_BANNER = 469, // about box banner
  IDB_SPLASH = 310,       // start-up picture, 640x480
  IDB_REWARD = 409,       // reward box picture, 300x408
};

// The picture at its own size; wxNullBitmap when the id is unknown.
wxBitmap LoadResourceBitmap(int id);
// The picture scaled to size x size with high quality; wxNullBitmap when unknown.
wxBitmap LoadResourceBitmap(int id, int size);
// The picture as a size x size icon; wxNullIcon when unknown.
wxIcon LoadResourceIcon(int id, int size);
