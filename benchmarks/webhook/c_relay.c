/* A plain relay without JSON work, the second reference of run.sh: consumes
 * a queue with librabbitmq (prefetch as given), posts each body as it came
 * over libcurl's multi interface (keep-alive, at most CONNECTIONS
 * connections) and acknowledges each delivery after a 2xx answer (any
 * other outcome rejects it with requeue). An https endpoint's certificate
 * is not verified: the service's check only records the outcome, and a
 * relay that refused would measure nothing.
 *
 *   webhook_c_relay AMQP_URL QUEUE COUNT PREFETCH ENDPOINT CONNECTIONS
 *
 * Ends after COUNT acknowledgements and prints the seconds from start-up. */

#include <amqp.h>
#include <amqp_tcp_socket.h>
#include <curl/curl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>
#include <time.h>

struct delivery
{
    uint64_t tag;
    amqp_bytes_t body;
    struct delivery* next;
};

static void fail(const char* what)
{
    fprintf(stderr, "%s\n", what);
    exit(1);
}

static void check(amqp_rpc_reply_t reply, const char* what)
{
    if (reply.reply_type != AMQP_RESPONSE_NORMAL) fail(what);
}

static size_t discard(char* data, size_t size, size_t count, void* context)
{
    (void)data;
    (void)context;
    return size * count;
}

static double now(void)
{
    struct timespec time;
    clock_gettime(CLOCK_MONOTONIC, &time);
    return (double)time.tv_sec + (double)time.tv_nsec / 1e9;
}

int main(int argc, char** argv)
{
    if (argc != 7)
    {
        fprintf(stderr, "usage: %s AMQP_URL QUEUE COUNT PREFETCH ENDPOINT CONNECTIONS\n", argv[0]);
        return 2;
    }
    const double started = now();
    const unsigned long wanted = strtoul(argv[3], NULL, 10);
    const char* endpoint = argv[5];

    struct amqp_connection_info info;
    char* url = strdup(argv[1]);
    if (amqp_parse_url(url, &info) != AMQP_STATUS_OK) fail("invalid AMQP URL");
    /* "amqp://host:port/" names the empty vhost to librabbitmq. */
    if (info.vhost[0] == '\0') info.vhost = "/";
    amqp_connection_state_t connection = amqp_new_connection();
    amqp_socket_t* socket = amqp_tcp_socket_new(connection);
    if (socket == NULL || amqp_socket_open(socket, info.host, info.port) != AMQP_STATUS_OK)
        fail("cannot connect to the broker");
    check(amqp_login(connection, info.vhost, 0, 131072, 0, AMQP_SASL_METHOD_PLAIN, info.user,
                     info.password),
          "login failed");
    amqp_channel_open(connection, 1);
    check(amqp_get_rpc_reply(connection), "channel.open failed");
    amqp_basic_qos(connection, 1, 0, (uint16_t)atoi(argv[4]), 0);
    check(amqp_get_rpc_reply(connection), "basic.qos failed");
    amqp_basic_consume(connection, 1, amqp_cstring_bytes(argv[2]), amqp_empty_bytes, 0, 0, 0,
                       amqp_empty_table);
    check(amqp_get_rpc_reply(connection), "basic.consume failed");

    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURLM* multi = curl_multi_init();
    const long connections = atol(argv[6]);
    curl_multi_setopt(multi, CURLMOPT_MAX_TOTAL_CONNECTIONS, connections);
    curl_multi_setopt(multi, CURLMOPT_MAX_HOST_CONNECTIONS, connections);
    struct curl_slist* headers = curl_slist_append(NULL, "Content-Type: application/json");
    headers = curl_slist_append(headers, "Expect:");

    /* One transfer per connection at a time; the other deliveries wait in
     * order, and finished transfers keep their handles for them. */
    CURL* idle[64];
    int idleCount = 0;
    long active = 0;
    struct delivery *first = NULL, *last = NULL;
    unsigned long acked = 0;
    struct curl_waitfd broker = {amqp_get_sockfd(connection), CURL_WAIT_POLLIN, 0};

    while (acked < wanted)
    {
        /* Everything the broker has sent so far, without waiting. */
        for (;;)
        {
            struct timeval zero = {0, 0};
            amqp_envelope_t envelope;
            amqp_maybe_release_buffers(connection);
            amqp_rpc_reply_t reply = amqp_consume_message(connection, &envelope, &zero, 0);
            if (reply.reply_type == AMQP_RESPONSE_LIBRARY_EXCEPTION &&
                reply.library_error == AMQP_STATUS_TIMEOUT)
                break;
            check(reply, "consuming failed");
            struct delivery* delivery = malloc(sizeof *delivery);
            delivery->tag = envelope.delivery_tag;
            delivery->body = amqp_bytes_malloc_dup(envelope.message.body);
            delivery->next = NULL;
            amqp_destroy_envelope(&envelope);
            if (last != NULL)
                last->next = delivery;
            else
                first = delivery;
            last = delivery;
        }
        for (; first != NULL && active < connections; ++active)
        {
            struct delivery* delivery = first;
            first = delivery->next;
            if (first == NULL) last = NULL;
            CURL* easy = idleCount > 0 ? idle[--idleCount] : curl_easy_init();
            curl_easy_setopt(easy, CURLOPT_URL, endpoint);
            curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, delivery->body.bytes);
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, (long)delivery->body.len);
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discard);
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
            curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
            curl_easy_setopt(easy, CURLOPT_PRIVATE, delivery);
            curl_multi_add_handle(multi, easy);
        }

        int running;
        curl_multi_perform(multi, &running);
        CURLMsg* message;
        int left;
        while ((message = curl_multi_info_read(multi, &left)) != NULL)
        {
            if (message->msg != CURLMSG_DONE) continue;
            CURL* easy = message->easy_handle;
            struct delivery* delivery;
            long status = 0;
            curl_easy_getinfo(easy, CURLINFO_PRIVATE, (char**)&delivery);
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
            if (message->data.result == CURLE_OK && status >= 200 && status <= 299)
            {
                amqp_basic_ack(connection, 1, delivery->tag, 0);
                ++acked;
            }
            else
                amqp_basic_reject(connection, 1, delivery->tag, 1);
            curl_multi_remove_handle(multi, easy);
            --active;
            if (idleCount < (int)(sizeof idle / sizeof idle[0]))
                idle[idleCount++] = easy;
            else
                curl_easy_cleanup(easy);
            amqp_bytes_free(delivery->body);
            free(delivery);
        }
        /* Frames librabbitmq has read already wait in its buffer, not on
         * the socket; a free connection takes the next delivery at once. */
        int ready = amqp_data_in_buffer(connection) || amqp_frames_enqueued(connection) ||
                    (first != NULL && active < connections);
        if (!ready) curl_multi_poll(multi, &broker, 1, 100, NULL);
    }

    printf("%.3f\n", now() - started);
    return 0;
}
