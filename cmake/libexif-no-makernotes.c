/* Loading EXIF data makes libexif look for a maker note and, for Canon, Olympus/Nikon/Sanyo/Epson,
 * Fuji, Pentax/Casio cameras, parse it in the camera maker's own format, with no option to turn
 * that off. Nothing here reads a maker note, and those parsers are where most of libexif's
 * security fixes have been, so they are left out of the build: these stand in for their entry
 * points. Recognising no maker note, the loader keeps it as the plain bytes of its tag. */
#include <libexif/exif-data.h>
#include <libexif/canon/exif-mnote-data-canon.h>
#include <libexif/fuji/exif-mnote-data-fuji.h>
#include <libexif/olympus/exif-mnote-data-olympus.h>
#include <libexif/pentax/exif-mnote-data-pentax.h>

#include <stddef.h>

int exif_mnote_data_canon_identify(const ExifData *ed, const ExifEntry *e) { (void)ed; (void)e; return 0; }
int exif_mnote_data_fuji_identify(const ExifData *ed, const ExifEntry *e) { (void)ed; (void)e; return 0; }
int exif_mnote_data_olympus_identify(const ExifData *ed, const ExifEntry *e) { (void)ed; (void)e; return 0; }
int exif_mnote_data_pentax_identify(const ExifData *ed, const ExifEntry *e) { (void)ed; (void)e; return 0; }

ExifMnoteData *exif_mnote_data_canon_new(ExifMem *mem, ExifDataOption o) { (void)mem; (void)o; return NULL; }
ExifMnoteData *exif_mnote_data_fuji_new(ExifMem *mem) { (void)mem; return NULL; }
ExifMnoteData *exif_mnote_data_olympus_new(ExifMem *mem) { (void)mem; return NULL; }
ExifMnoteData *exif_mnote_data_pentax_new(ExifMem *mem) { (void)mem; return NULL; }
