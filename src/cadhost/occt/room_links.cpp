// Linked with one room of the host taken whole and the rooms below it: that it links at all
// is the proof that the room calls nothing above or beside it.
int main() { return 0; }
