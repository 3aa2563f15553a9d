/* alplatf.h -- Allegro's platform for the browser build: its Unix port's portable half */
#define ALLEGRO_UNIX
