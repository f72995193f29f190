# Mail::DKIM as a peer: sign or verify the message on standard input.
#   sign KEYFILE SELECTOR DOMAIN HEADER/BODY ALGORITHM: writes the signed message.
#   verify RECORDFILE: prints the result word; every key lookup gets the record.
use strict;
use warnings;
use Mail::DKIM::Signer;
use Mail::DKIM::Verifier;
use Net::DNS;

package FakeResolver;
sub new { my ($class, $record) = @_; return bless { record => $record }, $class; }
sub errorstring { return ''; }
sub send {
    my ($self, $name, $type) = @_;
    my $packet = Net::DNS::Packet->new($name, $type, 'IN');
    my @strings = unpack('(A255)*', $self->{record});
    $packet->push(answer => Net::DNS::RR->new(
        name => $name, type => 'TXT', ttl => 60, txtdata => [@strings]));
    $packet->header->rcode('NOERROR');
    return $packet;
}

package main;
binmode STDIN;
binmode STDOUT;
my $message = do { local $/; <STDIN> };
my $mode = shift @ARGV;
if ($mode eq 'sign') {
    my ($keyfile, $selector, $domain, $method, $algorithm) = @ARGV;
    my $signer = Mail::DKIM::Signer->new(
        Algorithm => $algorithm, Method => $method, Domain => $domain,
        Selector => $selector, KeyFile => $keyfile,
        Headers => 'from:to:subject:date:message-id:mime-version:content-type');
    $signer->PRINT($message);
    $signer->CLOSE;
    print $signer->signature->as_string, "\r\n", $message;
} else {
    open(my $file, '<', $ARGV[0]) or die;
    my $record = do { local $/; <$file> };
    chomp $record;
    Mail::DKIM::DNS::resolver(FakeResolver->new($record));
    my $verifier = Mail::DKIM::Verifier->new();
    $verifier->PRINT($message);
    $verifier->CLOSE;
    print $verifier->result, "\n";
}
