#define IDH_index 10
#define IDH_groesse 11
