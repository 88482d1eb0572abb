// A Modbus TCP server on 127.0.0.1 standing in for the gateway: it answers some ranges, raises
// exceptions for others and stays silent for one. Prints "port N" once it listens on the
// port given as its argument (0 or none: any free one) and serves until it is terminated.
//
// Coils 0-15: 1 at every third. Discrete inputs 0-15: 1 at the odd ones. Holding registers
// 0-199: 1000 + address; 199 counts the reads that cover it. Input registers 0-9: 2000 +
// address. Holding registers 200-209: "gateway target device failed to respond"; 210-219:
// "gateway path unavailable"; 300-309: no answer; 310-319: answered half a second late.
// Anything else: "illegal data address".
#include <modbus.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

void answer(modbus_t* ctx, modbus_mapping_t* map, const uint8_t* query, int length) {
    const int h = modbus_get_header_length(ctx);
    const int function = query[h];
    const int first = (query[h + 1] << 8) | query[h + 2];
    const int last = first + ((query[h + 3] << 8) | query[h + 4]) - 1;
    const auto covers = [&](int from, int to) { return first <= to && last >= from; };
    if (function == MODBUS_FC_READ_HOLDING_REGISTERS) {
        if (covers(300, 309))
            return;
        if (covers(310, 319))
            usleep(500000);
        if (covers(200, 209)) {
            modbus_reply_exception(ctx, query, MODBUS_EXCEPTION_GATEWAY_TARGET);
            return;
        }
        if (covers(210, 219)) {
            modbus_reply_exception(ctx, query, MODBUS_EXCEPTION_GATEWAY_PATH);
            return;
        }
        if (covers(199, 199))
            ++map->tab_registers[199];
    }
    modbus_reply(ctx, query, length, map);
}

} // namespace

int main(int argc, char** argv) {
    modbus_t* ctx = modbus_new_tcp("127.0.0.1", argc > 1 ? std::atoi(argv[1]) : 0);
    modbus_mapping_t* map = modbus_mapping_new(16, 16, 200, 10);
    if (!ctx || !map)
        return 1;
    for (int i = 0; i < 16; ++i) {
        map->tab_bits[i] = i % 3 == 0;
        map->tab_input_bits[i] = i % 2;
    }
    for (int i = 0; i < 200; ++i)
        map->tab_registers[i] = uint16_t(1000 + i);
    map->tab_registers[199] = 0;
    for (int i = 0; i < 10; ++i)
        map->tab_input_registers[i] = uint16_t(2000 + i);

    const int server = modbus_tcp_listen(ctx, 8);
    sockaddr_in bound{};
    socklen_t size = sizeof bound;
    if (server < 0 || getsockname(server, reinterpret_cast<sockaddr*>(&bound), &size) != 0)
        return 1;
    std::printf("port %d\n", ntohs(bound.sin_port));
    std::fflush(stdout);

    fd_set watched;
    FD_ZERO(&watched);
    FD_SET(server, &watched);
    int highest = server;
    uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
    for (;;) {
        fd_set ready = watched;
        if (select(highest + 1, &ready, nullptr, nullptr, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int fd = 0; fd <= highest; ++fd) {
            if (!FD_ISSET(fd, &ready))
                continue;
            if (fd == server) {
                const int client = accept(server, nullptr, nullptr);
                if (client >= 0 && client < FD_SETSIZE) {
                    FD_SET(client, &watched);
                    highest = client > highest ? client : highest;
                } else if (client >= 0) {
                    close(client);
                }
                continue;
            }
            modbus_set_socket(ctx, fd);
            const int length = modbus_receive(ctx, query);
            if (length > 0) {
                answer(ctx, map, query, length);
            } else if (length < 0) {
                close(fd);
                FD_CLR(fd, &watched);
            }
        }
    }
    return 1;
}
