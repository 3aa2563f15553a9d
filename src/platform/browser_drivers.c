/* browser_drivers.c -- Allegro's drivers for a browser page: the system driver and the timer list
 *
 * Allegro's own code draws every frame, loads the pictures and sounds; the page itself
 * (browser.cpp, browser.js) shows the frames, reads the keys and plays the sounds, so the
 * library gets no graphics, keyboard, sound or timer driver here. */
#include <allegro.h>

/* The page's half (browser.js). */
void dw_set_title(const char *title);
void dw_show_message(const char *text);
void dw_desktop_size(int *width, int *height);

#define SYSTEM_BROWSER AL_ID('B', 'R', 'W', 'S')

/* install_allegro: nothing to start; the page is there. */
static int browser_init(void) { return 0; }
static void browser_exit(void) { }

static void browser_executable_name(char *output, int size)
{
   do_uconvert("/driftwing", U_ASCII, output, U_CURRENT, size);
}

/* set_window_title: the page's title. */
static void browser_set_title(AL_CONST char *name) { dw_set_title(name); }

/* allegro_message: the page's message line. */
static void browser_message(AL_CONST char *text) { dw_show_message(text); }

/* The page shows its canvas in true colour whatever the game draws in. */
static int browser_desktop_depth(void) { return 32; }

static int browser_desktop_resolution(int *width, int *height)
{
   dw_desktop_size(width, height);
   return 0;
}

static _DRIVER_INFO no_drivers[] = {{0, NULL, 0}};
static _DRIVER_INFO *none(void) { return no_drivers; }

static SYSTEM_DRIVER system_browser = {
   SYSTEM_BROWSER, "", "", "Browser",
   browser_init, browser_exit, browser_executable_name,
   NULL,                          /* find_resource */
   browser_set_title,
   NULL,                          /* set_close_button_callback */
   browser_message,
   NULL, NULL, NULL,              /* assert, save and restore console state */
   NULL, NULL, NULL, NULL, NULL,  /* bitmaps: the library's memory bitmaps */
   NULL, NULL, NULL,              /* hardware palette, vtables */
   NULL, NULL,                    /* display switching */
   browser_desktop_depth, browser_desktop_resolution,
   NULL, NULL,                    /* safe mode, yield */
   NULL, NULL, NULL, NULL,        /* mutexes: nothing runs beside the game */
   none, none, none, none, none, none, none
};

/* The page's driver first; the library's driverless one for a platform that asks for it
 * (SYSTEM_NONE). */
_DRIVER_INFO _system_driver_list[] = {
   {SYSTEM_BROWSER, &system_browser, TRUE},
   {SYSTEM_NONE, &system_none, FALSE},
   {0, NULL, 0}
};

/* No Allegro timer: the platform paces the frames on the page's clock, and install_timer
 * fails. */
_DRIVER_INFO _timer_driver_list[] = {{0, NULL, 0}};
