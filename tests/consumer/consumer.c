/* A host built against the installed SDK: the public header and the import
 * library, nothing else of the project. */
#include <stdio.h>
#include <string.h>

#include <morvalith.h>

int main(void)
{
    unsigned char key[32];
    memset(key, 0, sizeof(key));
    char letter = GetUSBDriveLetter();
    int ok = GetIDKey(key);
    printf("consumer: letter %d, key result %d\n", letter, ok);
    return 0;
}
