/*
 * compare_pxlib.c - dumps Paradox tables through pxlib, for cross-checking the Vorendal reader.
 *
 * Build by hand (not part of the CMake build):
 *     cc tools/compare_pxlib.c -lpx -o /tmp/pxdump
 * Usage:
 *     /tmp/pxdump TABLE.db...
 *
 * Prints the table, field and record lines of `vorendal-cli describe`, tab-separated:
 *     table   <path> <table name stored in the header> cp=<code page> ver=<30|35|40|50|70>
 *             recs=<header count> enc=<0|1>
 *     field   <name> <pxlib type letter> <stored length> <decimals>
 *     record  <value>...
 * Values: blank = \N; alpha and memo text is printed as stored (the table's own code page, not
 * converted) with \\ \t \r \n escaped; bytes, binary, formatted memo, OLE and graphic values in
 * lower-case hex; dates YYYY-MM-DD; times HH:MM:SS.mmm; timestamps "date time"; numbers with 17
 * significant digits; BCD as pxlib's decimal string; logicals true/false. A value pxlib cannot
 * read is printed as !ERR (the reason goes to stderr). Type letters follow Paradox: A D S I $ N L
 * M B F O G T @ + # Y.
 *
 * pxlib decodes the values (PX_get_data_*); the program only formats them and adds one guard:
 * pxlib's blank test for 4-byte integers reads a C long, 8 bytes on LP64, from a 4-byte copy, so
 * an all-zero D, I, + or T field is reported blank here before pxlib is asked.
 */
#include <paradox.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>

static const char* g_current = "";

static void errorHandler(pxdoc_t* p, int type, const char* msg, void* data) {
    (void)p;
    (void)data;
    fprintf(stderr, "pxlib (%s): %d: %s\n", g_current, type, msg);
}

static char typeLetter(int t) {
    switch (t) {
    case pxfAlpha:
        return 'A';
    case pxfDate:
        return 'D';
    case pxfShort:
        return 'S';
    case pxfLong:
        return 'I';
    case pxfCurrency:
        return '$';
    case pxfNumber:
        return 'N';
    case pxfLogical:
        return 'L';
    case pxfMemoBLOb:
        return 'M';
    case pxfBLOb:
        return 'B';
    case pxfFmtMemoBLOb:
        return 'F';
    case pxfOLE:
        return 'O';
    case pxfGraphic:
        return 'G';
    case pxfTime:
        return 'T';
    case pxfTimestamp:
        return '@';
    case pxfAutoInc:
        return '+';
    case pxfBCD:
        return '#';
    case pxfBytes:
        return 'Y';
    default:
        return '?';
    }
}

static void putEscaped(const char* s, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        switch (s[i]) {
        case '\\':
            fputs("\\\\", stdout);
            break;
        case '\t':
            fputs("\\t", stdout);
            break;
        case '\r':
            fputs("\\r", stdout);
            break;
        case '\n':
            fputs("\\n", stdout);
            break;
        default:
            putchar(s[i]);
        }
    }
}

static void putHex(const char* s, size_t n) {
    for (size_t i = 0; i < n; ++i)
        printf("%02x", (unsigned char)s[i]);
}

static int allZero(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != 0)
            return 0;
    return 1;
}

/* Day 1 = 0001-01-01; pxlib's serial day numbers count from 4714 BC (day + 1721425). */
static void putDate(long days) {
    int y = 0, m = 0, d = 0;
    PX_SdnToGregorian(days + 1721425L, &y, &m, &d);
    printf("%04d-%02d-%02d", y, m, d);
}

static void putTime(long ms) {
    printf("%02ld:%02ld:%02ld.%03ld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
}

static void putValue(pxdoc_t* px, pxfield_t* f, char* p) {
    const int len = f->px_flen;
    switch (f->px_ftype) {
    case pxfAlpha: {
        char* s = NULL;
        int r = PX_get_data_alpha(px, p, len, &s);
        if (r > 0 && s) {
            putEscaped(s, strlen(s));
            px->free(px, s);
        } else if (r == 0) {
            fputs("\\N", stdout);
        } else {
            fputs("!ERR", stdout);
        }
        return;
    }
    case pxfDate:
    case pxfLong:
    case pxfAutoInc:
    case pxfTime: {
        long v = 0;
        if (allZero(p, 4) || PX_get_data_long(px, p, 4, &v) <= 0) {
            fputs("\\N", stdout);
            return;
        }
        /* pxlib returns the 32-bit value in a long; keep its sign on LP64 */
        v = (long)(int)v;
        if (f->px_ftype == pxfDate)
            putDate(v);
        else if (f->px_ftype == pxfTime)
            putTime(v);
        else
            printf("%ld", v);
        return;
    }
    case pxfShort: {
        short v = 0;
        if (PX_get_data_short(px, p, 2, &v) <= 0)
            fputs("\\N", stdout);
        else
            printf("%d", v);
        return;
    }
    case pxfCurrency:
    case pxfNumber:
    case pxfTimestamp: {
        double v = 0;
        if (PX_get_data_double(px, p, 8, &v) <= 0) {
            fputs("\\N", stdout);
            return;
        }
        if (f->px_ftype != pxfTimestamp) {
            printf("%.17g", v);
            return;
        }
        /* milliseconds since the start of day 1, rounded to whole milliseconds */
        long long total = (long long)(v >= 0 ? v + 0.5 : v - 0.5);
        long long days = total / 86400000LL;
        long ms = (long)(total % 86400000LL);
        if (ms < 0) {
            ms += 86400000L;
            days -= 1;
        }
        putDate((long)days);
        putchar(' ');
        putTime(ms);
        return;
    }
    case pxfLogical: {
        char v = 0;
        if (PX_get_data_byte(px, p, 1, &v) <= 0)
            fputs("\\N", stdout);
        else
            fputs(v ? "true" : "false", stdout);
        return;
    }
    case pxfBCD: {
        char* s = NULL;
        int r = PX_get_data_bcd(px, (unsigned char*)p, f->px_fdc, &s);
        if (r > 0 && s) {
            fputs(s, stdout);
            px->free(px, s);
        } else if (r == 0) {
            fputs("\\N", stdout);
        } else {
            fputs("!ERR", stdout);
        }
        return;
    }
    case pxfBytes: {
        /* pxlib 0.6.8 allocates the copy itself and returns it through value */
        char* s = NULL;
        int r = PX_get_data_bytes(px, p, len, &s);
        if (r > 0 && s) {
            putHex(s, (size_t)len);
            px->free(px, s);
        } else if (r == 0) {
            fputs("\\N", stdout);
        } else {
            fputs("!ERR", stdout);
        }
        return;
    }
    case pxfMemoBLOb:
    case pxfBLOb:
    case pxfFmtMemoBLOb:
    case pxfOLE:
    case pxfGraphic: {
        /* trailer: u32 offset/index, u32 length, u16 modification number */
        const unsigned char* t = (const unsigned char*)p + len - 10;
        const unsigned long stored =
            t[4] | (t[5] << 8) | (t[6] << 16) | ((unsigned long)t[7] << 24);
        if (stored == 0) {
            fputs("\\N", stdout);
            return;
        }
        char* s = NULL;
        int mod = 0, size = 0;
        int r = f->px_ftype == pxfGraphic ? PX_get_data_graphic(px, p, len, &mod, &size, &s)
                                          : PX_get_data_blob(px, p, len, &mod, &size, &s);
        if (r <= 0 || !s) {
            fputs("!ERR", stdout);
            return;
        }
        if (f->px_ftype == pxfMemoBLOb)
            putEscaped(s, (size_t)size);
        else
            putHex(s, (size_t)size);
        px->free(px, s);
        return;
    }
    default:
        fputs("\\N", stdout);
    }
}

/* Internal pxlib functions, exported by libpx but not declared in paradox.h. */
pxstream_t* px_stream_new_file(pxdoc_t* pxdoc, int mode, int close, FILE* fp);
mbhead_t* get_mb_head(pxblob_t* pxblob, pxstream_t* pxs);
ssize_t px_mb_read(pxblob_t* p, pxstream_t* dummy, size_t len, void* buffer);
int px_mb_seek(pxblob_t* p, pxstream_t* dummy, long offset, int whence);
long px_mb_tell(pxblob_t* p, pxstream_t* dummy);

/* Opens the blob file the way PX_open_blob_fp() does, minus its block-list scan: in pxlib
 * 0.6.8 as packaged by Debian that scan reads a 12-byte block header into a smaller stack
 * buffer and aborts with "stack smashing detected". The list is only needed for writing. */
static int openBlobFile(pxdoc_t* px, const char* name) {
    FILE* fp = fopen(name, "rb");
    if (!fp)
        return -1;
    pxblob_t* blob = PX_new_blob(px);
    if (!blob) {
        fclose(fp);
        return -1;
    }
    blob->mb_stream = px_stream_new_file(px, pxfFileRead, 1, fp);
    blob->read = (size_t(*)(pxblob_t*, pxstream_t*, size_t, void*))px_mb_read;
    blob->seek = px_mb_seek;
    blob->tell = px_mb_tell;
    if (!blob->mb_stream || !(blob->mb_head = get_mb_head(blob, blob->mb_stream))) {
        fprintf(stderr, "pxlib (%s): cannot read the blob file header\n", name);
        return -1;
    }
    return 0;
}

/* The .MB next to the table, in the case spelling of the table's extension. */
static void attachBlobFile(pxdoc_t* px, const char* path) {
    size_t n = strlen(path);
    if (n < 3)
        return;
    char* mb = malloc(n + 1);
    memcpy(mb, path, n + 1);
    const int lower = mb[n - 2] == 'd' || mb[n - 1] == 'b';
    mb[n - 2] = lower ? 'm' : 'M';
    mb[n - 1] = lower ? 'b' : 'B';
    FILE* probe = fopen(mb, "rb");
    if (!probe) {
        mb[n - 2] = lower ? 'M' : 'm';
        mb[n - 1] = lower ? 'B' : 'b';
        probe = fopen(mb, "rb");
    }
    if (probe) {
        fclose(probe);
        if (openBlobFile(px, mb) < 0)
            fprintf(stderr, "pxlib (%s): cannot open blob file %s\n", path, mb);
    }
    free(mb);
}

static int dumpTable(const char* path) {
    g_current = path;
    pxdoc_t* px = PX_new2(errorHandler, NULL, NULL, NULL);
    if (!px)
        return 1;
    if (PX_open_file(px, path) < 0) {
        fprintf(stderr, "pxlib (%s): cannot open\n", path);
        PX_delete(px);
        return 1;
    }
    pxhead_t* h = px->px_head;
    attachBlobFile(px, path);

    printf("table\t");
    putEscaped(path, strlen(path));
    putchar('\t');
    putEscaped(h->px_tablename ? h->px_tablename : "",
               h->px_tablename ? strlen(h->px_tablename) : 0);
    printf("\tcp=%d\tver=%d\trecs=%d\tenc=%d\n", h->px_doscodepage, h->px_fileversion,
           h->px_numrecords, h->px_encryption != 0);

    const int nf = PX_get_num_fields(px);
    pxfield_t* fields = PX_get_fields(px);
    for (int i = 0; i < nf; ++i) {
        printf("field\t");
        putEscaped(fields[i].px_fname, strlen(fields[i].px_fname));
        printf("\t%c\t%d\t%d\n", typeLetter((unsigned char)fields[i].px_ftype), fields[i].px_flen,
               fields[i].px_fdc);
    }

    char* rec = malloc((size_t)PX_get_recordsize(px));
    const int nr = PX_get_num_records(px);
    for (int r = 0; r < nr; ++r) {
        if (!PX_get_record(px, r, rec)) {
            fprintf(stderr, "pxlib (%s): record %d cannot be read\n", path, r);
            break;
        }
        fputs("record", stdout);
        int offset = 0;
        for (int i = 0; i < nf; ++i) {
            putchar('\t');
            putValue(px, &fields[i], rec + offset);
            offset += fields[i].px_flen;
        }
        putchar('\n');
    }
    free(rec);
    PX_close(px);
    PX_delete(px);
    return 0;
}

int main(int argc, char** argv) {
    int status = 0;
    PX_boot();
    for (int i = 1; i < argc; ++i)
        status |= dumpTable(argv[i]);
    PX_shutdown();
    return status;
}
