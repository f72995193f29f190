# Mail::DKIM verifying one message again and again: peers.pl RECORD MESSAGE
# ROUNDS. Prints the nanoseconds per verification.
use strict;
use warnings;
use Mail::DKIM::Verifier;
use Net::DNS;
use Time::HiRes qw(time);

package FakeResolver;
sub new { my ($class, $record) = @_; return bless { record => $record }, $class; }
sub errorstring { return ''; }
sub send {
    my ($self, $name, $type) = @_;
    my $packet = Net::DNS::Packet->new($name, $type, 'IN');
    $packet->push(answer => Net::DNS::RR->new(
        name => $name, type => 'TXT', ttl => 60, txtdata => [unpack('(A255)*', $self->{record})]));
    return $packet;
}

package main;
sub slurp { open(my $file, '<:raw', shift) or die; local $/; return <$file>; }
my ($record, $message, $rounds) = (slurp($ARGV[0]), slurp($ARGV[1]), $ARGV[2]);
chomp $record;
Mail::DKIM::DNS::resolver(FakeResolver->new($record));
my $start = time;
for (1 .. $rounds) {
    my $verifier = Mail::DKIM::Verifier->new();
    $verifier->PRINT($message);
    $verifier->CLOSE;
    exit 3 unless $verifier->result eq 'pass';
}
printf "%d\n", (time - $start) * 1e9 / $rounds;
