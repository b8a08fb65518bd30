/* The stand-in vendor library's key for a letter and a chip model, which
 * the test host recomputes to check the key it was handed without showing
 * it. */
#ifndef VENDOR_DOUBLE_H
#define VENDOR_DOUBLE_H
#include <string.h>

static void StandInKey(char letter, const char *chipModel, unsigned char key[32])
{
    size_t length = strlen(chipModel);
    for (int i = 0; i < 32; ++i)
        key[i] = (unsigned char)(letter * 7 + i * 13 + (length ? (unsigned char)chipModel[i % length] : 0));
}
#endif
