# Mail::DKIM's ARC as a peer: seal or validate the message on standard input.
#   seal KEYFILE SELECTOR DOMAIN SRVID RECORDFILE: the message with a new ARC
#     set, its cv= from the peer's own validation.
#   validate RECORDFILE: prints the chain's result.
# Every key lookup gets the record of RECORDFILE.
use strict;
use warnings;
use Mail::DKIM::ARC::Signer;
use Mail::DKIM::ARC::Verifier;
use FindBin;
use lib $FindBin::Bin;
use FakeResolver;

binmode STDIN;
binmode STDOUT;
my $message = do { local $/; <STDIN> };
my $mode = shift @ARGV;
FakeResolver::install($mode eq 'seal' ? $ARGV[4] : $ARGV[0]);

sub validate {
    my $verifier = Mail::DKIM::ARC::Verifier->new();
    $verifier->PRINT($message);
    $verifier->CLOSE;
    return ($verifier->result, $verifier->result_detail);
}

if ($mode eq 'seal') {
    my ($keyfile, $selector, $domain, $srvid) = @ARGV;
    my ($chain) = validate();
    my $signer = Mail::DKIM::ARC::Signer->new(
        Algorithm => 'rsa-sha256', Chain => $chain, Domain => $domain,
        SrvId => $srvid, Selector => $selector, KeyFile => $keyfile);
    $signer->PRINT($message);
    $signer->CLOSE;
    die $signer->result_detail unless $signer->result eq 'sealed';
    print $signer->as_string, $message;
} else {
    my ($result, $detail) = validate();
    print "$result $detail\n";
}
