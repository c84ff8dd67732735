// Resource numbers shared by the resource script and the program.
#pragma once

#define IDI_TARVIK32 1
#define IDB_MENU_ABOUT 201
#define IDB_MENU_INTRODUCTION 202
#define IDB_MENU_CONTENTS 203
#define IDB_GLYPH_CLOSE 204
#define IDB_GLYPH_OK 205
