-- Every contact of the contractor's persons: the editor shows those of the
-- chosen person and keeps the others' unsaved changes meanwhile.
select c.id, c.id_contact_person, c.id_contact_type, c.c_contact, c.n_row_version
  from jur.t_contact c
  join jur.t_contact_person p on p.id = c.id_contact_person
 where p.id_contractor = :id_contractor
 order by c.id_contact_person, c.id
