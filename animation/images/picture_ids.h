/* Resource ids of the embedded pictures; shared by C++ and the resource script. */
#define IDB_IMG1 101
#define IDB_IMG2 102
#define IDB_TITLE 103
#define IDB_SAMPLE 104
