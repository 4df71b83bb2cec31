// Cairo's handle types, so that toolkit headers need not pull in cairo.h.
#pragma once

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
