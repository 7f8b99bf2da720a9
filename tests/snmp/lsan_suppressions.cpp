// net-snmp keeps some start-up allocations (transport domains, the default
// store, the MIB tree root) for the life of the process and frees them only
// partly at snmp_shutdown. Those are not ours to fix; leaks in our code are
// still reported.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libnetsnmp.so\n";
}
