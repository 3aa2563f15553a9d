/* alunixac.h -- Allegro's configuration for the browser build (emcc), written by hand
 *
 * 8-bit colour only: the game draws in 256 colours and its data files are 8-bit pictures.
 * No threads: nothing runs beside the game's loop. */
#define ALLEGRO_COLOR8 1

#define ALLEGRO_HAVE_DIRENT_H 1
#define ALLEGRO_HAVE_INTTYPES_H 1
#define ALLEGRO_HAVE_STDINT_H 1
#define ALLEGRO_HAVE_SYS_STAT_H 1
#define ALLEGRO_HAVE_SYS_TIME_H 1
#define ALLEGRO_HAVE_MEMCMP 1
#define ALLEGRO_HAVE_MKSTEMP 1

#define ALLEGRO_LITTLE_ENDIAN 1
#define ALLEGRO_NO_ASM 1
#define ALLEGRO_USE_CONSTRUCTOR 1
