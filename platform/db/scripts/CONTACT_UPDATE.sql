update jur.t_contact
   set id_contact_type = :id_contact_type, c_contact = btrim(:c_contact)
 where id = :id and n_row_version = :n_row_version
returning id, id_contact_person, id_contact_type, c_contact, n_row_version
