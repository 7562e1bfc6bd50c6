/* A small sensor log: linked lists, nested and anonymous structures, unions,
   bit-fields and bool members, arrays of structures, and pointers into every
   memory space. */
#include <stdbool.h>

typedef struct {
    int x;
    int y;
} point_t;

union reading {
    long raw;
    unsigned char bytes[4];
    float scaled;
};

struct sample {
    point_t where;
    union reading value;
    unsigned channel : 3;
    signed trend : 2;
    bool valid : 1;
    bool flagged;
};

struct node {
    struct sample data;
    struct node *next;
    struct node __xdata *spare;
};

struct log {
    struct node nodes[4];
    struct node *head;
    struct {
        unsigned char count;
        unsigned char dropped;
    } stats;
    char name[8];
};

__xdata struct log sensor_log;
struct sample latest;
point_t origin = { 0, 0 };
__code const char banner[] = "LOG";
__idata unsigned char depth;
__data unsigned char *dptr;
__idata unsigned char *iptr;
__pdata unsigned char *pptr;
__xdata unsigned char *xptr;
__code const char *cptr;
unsigned char *gptr;
int grid[3][4];
int (*scale)(int);
unsigned long uptime;
float average;

static int twice(int v) { return v * 2; }

static void push(struct log __xdata *lg, const struct sample *s)
{
    unsigned char i = lg->stats.count & 3;
    lg->nodes[i].data = *s;
    lg->nodes[i].next = lg->head;
    lg->head = &lg->nodes[i];
    lg->stats.count++;
}

void main(void)
{
    unsigned char k;
    scale = twice;
    cptr = banner;
    gptr = (unsigned char *)&latest;
    for (k = 0; k < 8; k++) {
        latest.where.x = scale(k);
        latest.where.y = k;
        latest.value.raw = k * 1000L;
        latest.channel = k;
        latest.trend = -1;
        latest.valid = true;
        latest.flagged = k > 5;
        grid[k % 3][k % 4] = k;
        push(&sensor_log, &latest);
    }
    depth = sensor_log.stats.count;
    iptr = &depth;
    average = latest.value.raw / 8.0f;
    uptime++;
}
