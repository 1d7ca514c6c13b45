/* The work of `morvaline-bench mime LISTFILE OUTDIR` done with GMime: the C peer of the
 * MIME benchmark (bench/message-ratio compiles it where libgmime-3.0-dev is installed).
 *
 * For the n-th mail of LISTFILE (a path, and item flags in hex for a stored mail) it writes
 * OUTDIR/n/body.txt, the first leaf's text when it is a text part (transfer encoding undone,
 * ISO-2022-JP converted to Shift_JIS), and OUTDIR/n/att-k-NAME for every further leaf: the
 * decoded bytes, ISO-2022-JP text of a part without a transfer encoding as Shift_JIS, NAME
 * the part's file name (UTF-8). Prints the total attachment bytes.
 *
 * usage: mime-gmime LISTFILE OUTDIR */
#define _GNU_SOURCE /* memmem */
#include <gmime/gmime.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#define ITEM_FLAG_INTERNET 0x8000

static const char kTitleLine[] = "\r\n\x95\xB6\x8F\x91\x96\xBC\x81\x46"; /* "\r\n文書名：" */
static const char kNoBody[] = "(\x96\x7B\x95\xB6\x82\xC8\x82\xB5)\r\n";  /* "(本文なし)\r\n" */

static void write_file(const char *path, const void *bytes, size_t size) {
    FILE *f = fopen(path, "wb");
    if (!f || fwrite(bytes, 1, size, f) != size || fclose(f) != 0) {
        fprintf(stderr, "cannot write %s\n", path);
        exit(1);
    }
}

static void collect_leaves(GMimeObject *object, GPtrArray *leaves) {
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart *multipart = GMIME_MULTIPART(object);
        for (int i = 0; i < g_mime_multipart_get_count(multipart); i++)
            collect_leaves(g_mime_multipart_get_part(multipart, i), leaves);
    } else if (GMIME_IS_MESSAGE_PART(object)) {
        GMimeMessage *inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
        if (inner) collect_leaves(g_mime_message_get_mime_part(inner), leaves);
    } else if (GMIME_IS_PART(object)) {
        g_ptr_array_add(leaves, object);
    }
}

/* The leaf's content with its transfer encoding undone; converted from ISO-2022-JP to
 * Shift_JIS when it had none of base64, quoted-printable or uuencode. */
static GByteArray *leaf_bytes(GMimePart *part) {
    GMimeStream *memory = g_mime_stream_mem_new();
    g_mime_stream_mem_set_owner(GMIME_STREAM_MEM(memory), FALSE);
    GMimeContentEncoding encoding = g_mime_part_get_content_encoding(part);
    GMimeStream *target = memory;
    if (encoding != GMIME_CONTENT_ENCODING_BASE64 &&
        encoding != GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE &&
        encoding != GMIME_CONTENT_ENCODING_UUENCODE) {
        target = g_mime_stream_filter_new(memory);
        GMimeFilter *charset = g_mime_filter_charset_new("iso-2022-jp", "shift_jis");
        g_mime_stream_filter_add(GMIME_STREAM_FILTER(target), charset);
        g_object_unref(charset);
    }
    GMimeDataWrapper *content = g_mime_part_get_content(part);
    if (content) g_mime_data_wrapper_write_to_stream(content, target);
    g_mime_stream_flush(target);
    GByteArray *bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory));
    if (target != memory) g_object_unref(target);
    g_object_unref(memory);
    return bytes;
}

/* The internet message of a stored mail: after the empty line that follows its title. */
static const char *internet_message(const char *data, size_t size, unsigned long flags,
                                    int stored, size_t *length) {
    if (!stored) {
        *length = size;
        return data;
    }
    if (!(flags & ITEM_FLAG_INTERNET)) return NULL;
    const char *title = memmem(data, size, kTitleLine, sizeof kTitleLine - 1);
    if (!title) return NULL;
    const char *from = title + sizeof kTitleLine - 1;
    const char *empty = memmem(from, size - (size_t)(from - data), "\r\n\r\n", 4);
    if (!empty) return NULL;
    *length = size - (size_t)(empty + 4 - data);
    return empty + 4;
}

static size_t decode_mail(const char *path, unsigned long flags, int stored, const char *folder) {
    gchar *data = NULL;
    gsize size = 0;
    if (!g_file_get_contents(path, &data, &size, NULL)) {
        fprintf(stderr, "cannot read %s\n", path);
        exit(1);
    }
    size_t length = 0;
    const char *message_text = internet_message(data, size, flags, stored, &length);
    GPtrArray *leaves = g_ptr_array_new();
    GMimeMessage *message = NULL;
    if (message_text) {
        GMimeStream *stream = g_mime_stream_mem_new_with_buffer(message_text, length);
        GMimeParser *parser = g_mime_parser_new_with_stream(stream);
        message = g_mime_parser_construct_message(parser, NULL);
        g_object_unref(parser);
        g_object_unref(stream);
        if (message) collect_leaves(g_mime_message_get_mime_part(message), leaves);
    }
    char name[4096];
    size_t total = 0;
    guint first = 0;
    snprintf(name, sizeof name, "%s/body.txt", folder);
    if (leaves->len > 0 &&
        g_mime_content_type_is_type(g_mime_object_get_content_type(leaves->pdata[0]), "text",
                                    "*")) {
        GByteArray *body = leaf_bytes(leaves->pdata[0]);
        write_file(name, body->data, body->len);
        g_byte_array_free(body, TRUE);
        first = 1;
    } else {
        write_file(name, kNoBody, leaves->len > 0 ? sizeof kNoBody - 1 : 0);
    }
    for (guint i = first; i < leaves->len; i++) {
        GMimePart *part = leaves->pdata[i];
        GByteArray *bytes = leaf_bytes(part);
        const char *file = g_mime_part_get_filename(part);
        snprintf(name, sizeof name, "%s/att-%u-%s", folder, i - first + 1, file ? file : "");
        write_file(name, bytes->data, bytes->len);
        total += bytes->len;
        g_byte_array_free(bytes, TRUE);
    }
    g_ptr_array_free(leaves, TRUE);
    if (message) g_object_unref(message);
    g_free(data);
    return total;
}

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: mime-gmime LISTFILE OUTDIR\n");
        return 2;
    }
    g_mime_init();
    FILE *list = fopen(argv[1], "r");
    if (!list) {
        fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    char line[4096], path[4096], folder[2048];
    unsigned long flags = 0;
    size_t total = 0;
    int n = 0;
    while (fgets(line, sizeof line, list)) {
        const int fields = sscanf(line, "%4095s %lx", path, &flags);
        if (fields < 1) continue;
        if (snprintf(folder, sizeof folder, "%s/%d", argv[2], ++n) >= (int)sizeof folder) return 1;
        mkdir(folder, 0700);
        total += decode_mail(path, flags, fields == 2, folder);
    }
    fclose(list);
    printf("%zu\n", total);
    g_mime_shutdown();
    return 0;
}
