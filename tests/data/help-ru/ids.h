#define IDH_index 20
#define IDH_settings 21
